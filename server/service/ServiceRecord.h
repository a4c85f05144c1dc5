#pragma once
// service.json in the state folder: where a running service listens, written on start and
// removed on a clean stop, so that `trellis-server status` can tell whether it runs.

#include "server/embedded/StateFiles.h"

#include <optional>

struct ServiceRecord {
    qint64 pid = 0;
    QString address;
    quint16 port = 0;
    QString fingerprint;
};

HRESULT WriteServiceRecord(const StateFiles& files, const ServiceRecord& record);
// None when there is no record or it is malformed.
std::optional<ServiceRecord> ReadServiceRecord(const StateFiles& files);
HRESULT RemoveServiceRecord(const StateFiles& files);
// Whether the record's process still runs.
bool IsRunning(const ServiceRecord& record);
