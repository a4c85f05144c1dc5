#include "MessageWindow.h"

LRESULT CMessageWindow::OnConfigMessage(unsigned, WPARAM, LPARAM) {
    return 0;
}

bool CMessageWindow::event(QEvent* event) {
    if (ConfigMessageEvent* message = asConfigMessage(event)) {
        message->setResult(
            OnConfigMessage(message->message(), message->wParam(), message->lParam()));
        return true;
    }
    return QWidget::event(event);
}
