#pragma once
// How trellis-server tells that a command failed: on standard error, with the reason given or
// else the failure's text, and exit status 1.

#include "platform/HResult.h"

#include <cstdio>
#include <string>

inline int CommandFailed(HRESULT hr, const std::string& what, const std::string& reason = {}) {
    std::fprintf(stderr, "trellis-server: %s failed: %s\n", what.c_str(),
                 reason.empty() ? ComErrorText(hr).c_str() : reason.c_str());
    return 1;
}
