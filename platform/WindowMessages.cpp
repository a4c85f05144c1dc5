#include "WindowMessages.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QPointer<QObject> g_mainWindow;
}

QObject* MainWindow() {
    return g_mainWindow.data();
}

void SetMainWindow(QObject* window) {
    g_mainWindow = window;
}

QEvent::Type ConfigMessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

ConfigMessageEvent* asConfigMessage(QEvent* event) {
    return (event && event->type() == ConfigMessageEvent::eventType())
               ? static_cast<ConfigMessageEvent*>(event)
               : nullptr;
}

bool PostMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new ConfigMessageEvent(message, wParam, lParam));
    return true;
}

LRESULT SendMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return 0;
    ConfigMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.result();
}
