#pragma once
// The tool's serve command, and the service line of its status.

#include "server/embedded/StateFiles.h"

#include <QStringList>

// Runs the network service over the state directory until SIGTERM or SIGINT; the
// arguments are the command's options. Returns the exit status; 2 for options not understood.
int Serve(const QString& directory, const QStringList& arguments);

// One line saying whether a service runs for the state directory, and where.
void ShowServiceStatus(const StateFiles& files);
