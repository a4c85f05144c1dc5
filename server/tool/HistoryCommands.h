#pragma once
// trellis-server's history commands over a state directory: the stored configurations,
// newest first, one entry with its report, the differences between two entries, and an
// entry's document written to a file. Each takes --json for scripts.

#include <QStringList>

#include <optional>

class EmbeddedServer;

// The exit status of a history command, or none when the command is not one of them (or its
// arguments are not understood: the caller shows the usage).
std::optional<int> RunHistoryCommand(EmbeddedServer& server, const QString& command,
                                     QStringList args);

// The line status prints about the history: its entries, and any corrupt database kept aside.
void ShowHistoryStatus(EmbeddedServer& server);
