#include "Prompter.h"

namespace {

// Until the application installs its prompter, every question is declined: nothing is
// asked of a user who cannot see it.
class DecliningPrompter final : public Prompter {
public:
    int messageBox(const std::string&, const std::string&, std::uint32_t style, QObject*) override {
        return DeclinedResult(style);
    }
    int popupMenu(const std::vector<MenuEntry>&, QPoint, QObject*) override { return 0; }
    int keyboard(std::string&, const std::string&, QObject*) override { return IDCANCEL; }
    int secretKeyboard(std::string&, const std::string&, QObject*) override { return IDCANCEL; }
    int keypad(std::string&, const std::string&, QObject*, int, int) override { return IDCANCEL; }
    LogonAnswer logon(const std::string&, const std::string&, QObject*) override { return {}; }
    FileAnswer fileDialog(FileDialogKind, const std::string&, const std::string&,
                          QObject*) override {
        return {};
    }
    int runDialog(QDialog&) override { return IDCANCEL; }
};

DecliningPrompter g_declining;
Prompter* g_installed = nullptr;

} // namespace

int DeclinedResult(std::uint32_t style) {
    switch (MessageBoxKind(style)) {
    case MB_TOUCH_QUESTION:
        return IDNO;
    case MB_TOUCH_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

Prompter& prompter() {
    return g_installed ? *g_installed : g_declining;
}

void installPrompter(Prompter* prompter) {
    g_installed = prompter;
}
