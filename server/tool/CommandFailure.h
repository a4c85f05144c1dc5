#pragma once
// How the command-line programs tell that a command failed: on standard error after the
// program's name, with the reason given or else the failure's text, and exit status 1.

#include "platform/HResult.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

// The running program's name, as its messages start.
inline std::string ProgramName() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? std::string("trellis-server") : name.toStdString();
}

inline int CommandFailed(HRESULT hr, const std::string& what, const std::string& reason = {}) {
    std::fprintf(stderr, "%s: %s failed: %s\n", ProgramName().c_str(), what.c_str(),
                 reason.empty() ? ComErrorText(hr).c_str() : reason.c_str());
    return 1;
}
