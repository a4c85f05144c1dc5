#include "Prompter.h"

namespace {

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
