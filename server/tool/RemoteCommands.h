#pragma once
// The tool's commands against a server's network service (--host): the same client, trust
// store and questions as the utility, asked on the terminal.

#include <QString>
#include <QStringList>

// Runs command (status, config or a history command) on host as user. The password is
// $TRELLIS_PASSWORD, else asked on the terminal without echo; an unknown host's fingerprint is
// shown and asked about there too. Returns the exit status: 0 done, 1 failed, 2 command not offered
// remotely or its arguments not understood.
int RunOnHost(const QString& host, const QString& user, const QString& command,
              const QStringList& arguments);
