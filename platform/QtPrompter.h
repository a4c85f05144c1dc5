#pragma once
// The prompter the application installs: every question as a touch-sized Qt dialog.

#include "Prompter.h"

class QtPrompter : public Prompter {
public:
    int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                   QObject* owner) override;
    int popupMenu(const std::vector<MenuEntry>& entries, QPoint screenPos, QObject* owner) override;
    int keyboard(std::string& text, const std::string& title, QObject* owner) override;
    int secretKeyboard(std::string& text, const std::string& title, QObject* owner) override;
    int keypad(std::string& text, const std::string& title, QObject* owner, int option1,
               int option2) override;
    LogonAnswer logon(const std::string& caption, const std::string& userName,
                      QObject* owner) override;
    FileAnswer fileDialog(FileDialogKind kind, const std::string& title, const std::string& filter,
                          QObject* owner) override;
    int runDialog(QDialog& dialog) override;
};
