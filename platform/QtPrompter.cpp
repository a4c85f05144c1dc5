#include "QtPrompter.h"

#include "LogonDialog.h"
#include "TouchEntryDialog.h"
#include "TouchFileDlg.h"
#include "TouchMessageBox.h"
#include "TouchWidgets.h"

#include <QMenu>

namespace {

QWidget* ownerWidget(QObject* owner) {
    return qobject_cast<QWidget*>(owner);
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

int entryDialog(TouchEntryDialog::Layout layout, std::string& text, const std::string& title,
                QObject* owner, bool secret = false) {
    TouchEntryDialog dialog(layout, qs(title), qs(text), ownerWidget(owner));
    if (secret)
        dialog.HideText();
    dialog.setStyleSheet(touchStyleSheet());
    if (dialog.exec() != QDialog::Accepted)
        return IDCANCEL;
    text = dialog.text().toStdString();
    return IDOK;
}

} // namespace

int QtPrompter::messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                           QObject* owner) {
    CTouchMessageBox box(qs(text), qs(caption), style, ownerWidget(owner));
    return box.Ask();
}

int QtPrompter::popupMenu(const std::vector<MenuEntry>& entries, QPoint screenPos, QObject* owner) {
    QMenu menu(ownerWidget(owner));
    menu.setStyleSheet(touchStyleSheet());
    for (const MenuEntry& entry : entries) {
        if (entry.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        // As in the item rows, "&&" in a label shows one ampersand.
        QAction* action = menu.addAction(qs(entry.text));
        action->setData(entry.id);
        action->setCheckable(entry.checked);
        action->setChecked(entry.checked);
        action->setEnabled(entry.enabled);
    }
    const QAction* chosen = menu.exec(screenPos);
    return chosen ? chosen->data().toInt() : 0;
}

int QtPrompter::keyboard(std::string& text, const std::string& title, QObject* owner) {
    return entryDialog(TouchEntryDialog::Layout::Keyboard, text, title, owner);
}

int QtPrompter::secretKeyboard(std::string& text, const std::string& title, QObject* owner) {
    return entryDialog(TouchEntryDialog::Layout::Keyboard, text, title, owner, true);
}

int QtPrompter::keypad(std::string& text, const std::string& title, QObject* owner, int, int) {
    return entryDialog(TouchEntryDialog::Layout::Keypad, text, title, owner);
}

LogonAnswer QtPrompter::logon(const std::string& caption, const std::string& userName,
                              QObject* owner) {
    LogonDialog dialog(qs(caption), ownerWidget(owner));
    dialog.setUserName(qs(userName));
    dialog.setStyleSheet(touchStyleSheet());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return LogonAnswer{IDOK, dialog.userName().toStdString(), dialog.password().toStdString(),
                       dialog.domain().toStdString()};
}

FileAnswer QtPrompter::fileDialog(FileDialogKind kind, const std::string& title,
                                  const std::string& filter, QObject* owner) {
    CTouchFileDlg dialog(kind, qs(title), qs(filter), ownerWidget(owner));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return FileAnswer{IDOK, dialog.FilePath().toStdString()};
}

int QtPrompter::runDialog(QDialog& dialog) {
    return dialog.exec();
}
