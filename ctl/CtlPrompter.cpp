#include "CtlPrompter.h"

#include "review/ReviewChangesDlg.h"
#include "state/ConfigState.h"

#include <QDialog>

#include <algorithm>

CtlPrompter::CtlPrompter(std::string user, std::string password)
    : TerminalPrompter("trellisctl"), m_user(std::move(user)), m_password(std::move(password)) {}

CtlPrompter::~CtlPrompter() {
    std::fill(m_password.begin(), m_password.end(), '\0');
}

int CtlPrompter::messageBox(const std::string& text, const std::string& caption,
                            std::uint32_t style, QObject* owner) {
    const std::uint32_t kind = MessageBoxKind(style);
    // Trusting a host is the person's to say, on the terminal ("trellisctl trust" says it
    // beforehand for scripts).
    if (caption == "Unknown Host" && kind == MB_TOUCH_QUESTION)
        return TerminalPrompter::messageBox(text, caption, style, owner);
    if (caption == "Changes Committed") {
        m_outcome = text;
        return IDOK;
    }
    if (text == kNotAuthorizedText)
        m_notAuthorized = true;
    if (caption == "Configuration Changed" || caption == "Remote Hosts Changed")
        m_conflict = true;
    // A logon that cannot change anything goes on read-only: the commands that change
    // something say so themselves.
    if (kind == MB_TOUCH_ABORTRETRYIGNORE)
        return IDIGNORE;
    // Questions are declined: a refused logon is not tried again, and a configuration
    // committed by someone else since it was read is never overwritten.
    if (kind != MB_TOUCH_QUESTION)
        m_errors.push_back(text);
    // A failed start-up is on standard error already.
    if (caption != "Trellis")
        std::fprintf(stderr, "trellisctl: %s: %s\n", caption.c_str(), text.c_str());
    return DeclinedResult(style);
}

LogonAnswer CtlPrompter::logon(const std::string&, const std::string&, QObject*) {
    if (m_loggedOn)
        return {};
    m_loggedOn = true;
    return {IDOK, m_user, m_password, {}};
}

int CtlPrompter::runDialog(QDialog& dialog) {
    if (dynamic_cast<CReviewChangesDlg*>(&dialog))
        return IDOK;
    return dialog.exec();
}
