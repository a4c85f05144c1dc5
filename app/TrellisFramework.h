#pragma once
// This program's host framework object: the shared-segment hooks on a POSIX shared memory
// object guarded by a named semaphore. Both stay while any instance has the segment open; the
// last one to close removes them.

#include "platform/HostFramework.h"

class CTrellisFramework : public CCorvane {
public:
    ~CTrellisFramework() override;

    bool OpenSharedSegment(bool& created) override;
    BOOL CloseSharedSegment() override;
};
