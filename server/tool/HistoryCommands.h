#pragma once
// trellis-server's history commands: the stored configurations, newest first, one entry with
// its report, the differences between two entries, and an entry's configuration written to a
// file; over a state directory or a host's network service alike. And the audit of a state
// directory. Each takes --json for scripts.

#include <QStringList>

#include <optional>

class ConfigHistory;
class EmbeddedServer;
class IConfigHistory;

// Whether the command is one of the history's (history, show, diff or export).
bool IsHistoryCommand(const QString& command);

// The exit status of a history command; none when its arguments are not understood (the
// caller shows the usage).
std::optional<int> RunHistoryCommand(IConfigHistory& history, const QString& command,
                                     QStringList args);

// The audit of the state directory; none when the arguments are not understood.
std::optional<int> RunAuditCommand(ConfigHistory& history, QStringList args);

// The lines status prints about the history: its entries, and any corrupt database kept aside.
void ShowHistoryStatus(EmbeddedServer& server);
