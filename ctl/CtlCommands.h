#pragma once
// trellisctl's commands: the configuration of a host read, judged, compared with a file,
// applied, rolled back to an entry of its history; its history listed; a host trusted.

#include <QStringList>

// The exit statuses, for scripts.
enum CtlStatus : int {
    kCtlDone = 0,
    kCtlFailed = 1,
    kCtlNothingToChange = 2,
    kCtlConflict = 3,
    kCtlRefused = 4,
};

// Runs the command the arguments (without the program's name) give; the exit status.
int RunCtl(const QStringList& arguments);

// The usage text.
extern const char* const kCtlUsage;
