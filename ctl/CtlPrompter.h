#pragma once
// trellisctl runs the utility's own sheet without a screen: the questions the sheet would
// ask a person are answered here by the command's rules, and its messages are written to
// standard error (the notice after a commit to standard output). What was asked is kept,
// for the exit status: a conflict, a refusal, the last error.

#include "platform/Terminal.h"

#include <string>
#include <vector>

class CtlPrompter : public TerminalPrompter {
public:
    // The credentials the logon dialog is answered with, once.
    CtlPrompter(std::string user, std::string password);
    ~CtlPrompter() override;

    int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                   QObject* owner) override;
    LogonAnswer logon(const std::string& caption, const std::string& userName,
                      QObject* owner) override;
    // The review OK shows is answered Commit (the command decided before it pressed OK);
    // any other dialog (the wait while channels restart) runs until it ends.
    int runDialog(QDialog& dialog) override;

    // Whether the server's configuration changed since it was read, so that nothing was
    // committed over it.
    bool Conflict() const { return m_conflict; }
    // Whether the server refused a change to this user.
    bool NotAuthorized() const { return m_notAuthorized; }
    // The error messages, in order.
    const std::vector<std::string>& Errors() const { return m_errors; }
    // The notice after a commit; empty when there was none.
    const std::string& Outcome() const { return m_outcome; }

private:
    std::string m_user;
    std::string m_password;
    bool m_loggedOn = false;
    bool m_conflict = false;
    bool m_notAuthorized = false;
    std::vector<std::string> m_errors;
    std::string m_outcome;
};
