#pragma once
// The server's log: error reports of the configuration utility, and the status facet
// whose value replaces the status an operation reports.

#include "platform/HResult.h"

#include <cstdint>
#include <memory>
#include <string>

// Entry kinds: a report with a message, and the closing line naming the operation.
constexpr std::int32_t LOG_KIND_REPORT = 4;
constexpr std::int32_t LOG_KIND_OPERATION = 8;

class ILogStatus {
public:
    virtual ~ILogStatus() = default;
    // The status the reporting operation should return from now on.
    virtual HRESULT GetStatus(std::int32_t& status) = 0;
};

class ILog {
public:
    virtual ~ILog() = default;
    virtual HRESULT LogEntry(HRESULT status, std::int32_t kind, const std::string& file,
                             std::int32_t line, std::uint32_t elapsedMs,
                             const std::string& text) = 0;
    // The status facet of this log, or null when it has none.
    virtual std::shared_ptr<ILogStatus> StatusFacet() = 0;
};
