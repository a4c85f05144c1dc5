#pragma once
// One trellisctl session: the utility's sheet, logged on to a host and with its pages built,
// without a screen. Loading a file or a history entry, the review of what a commit would
// change and the commit itself are the sheet's own, so that the command line judges,
// words and commits a configuration exactly as the touch screen does.

#include "CtlPrompter.h"

#include "app/TrellisApp.h"
#include "review/ConfigReview.h"

#include <QJsonObject>
#include <QString>

#include <memory>

class CConfigState;
class CTrellisDlg;

class CtlSession {
public:
    // Logs on to host; the installed prompter answers the logon.
    explicit CtlSession(const QString& host);
    ~CtlSession();

    // Whether the logon succeeded and the pages were built; what failed was told.
    bool Started() const { return m_started; }
    CTrellisDlg& Sheet() { return *m_sheet; }
    CConfigState& State();

    // What a commit now would change.
    ConfigReview Review();
    // Commits what the review lists, as OK does, and waits for the channels that restart.
    // False when nothing was committed; the prompter tells why.
    bool Commit();

private:
    CTrellisApp m_app;
    std::unique_ptr<CTrellisDlg> m_sheet;
    bool m_started = false;
};

// The review as JSON: {changes: [{page, channel, label, before, after, byRules: [..]}],
// restarting: [..], stopping: [..]}.
QJsonObject ReviewJson(const ConfigReview& review);
