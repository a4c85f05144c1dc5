#pragma once
// Gives this test process a host framework segment of its own, so that tests never touch the
// segment of a utility this user is running.

#include "platform/HostFramework.h"

#include <unistd.h>

#include <string>

// Chooses the name for every framework this process opens from now on, and returns it.
inline std::string useTestFrameworkSegment() {
    const std::string name = "trellis-test-framework-" + std::to_string(getpid());
    CCorvane::SetFrameworkSegmentName(name);
    return name;
}
