#pragma once
// The per-operation trace: the operation's name, status and, once something fails, the
// source file and line of the failure. Failures travel as thrown statuses or ComErrors,
// are caught once by Run()'s three clauses, reported once to the server log and leave
// the operation as its status.

#include "platform/HResult.h"

#include <fmt/printf.h>

#include <cstdint>
#include <memory>
#include <source_location>
#include <string>
#include <string_view>
#include <utility>

class IErrorInfo;
class ILog;

// Limits of the stored and reported texts, in characters.
constexpr std::size_t kTraceNameLimit = 127;
constexpr std::size_t kTraceFileLimit = 31;
constexpr std::size_t kFailMessageLimit = 511;
constexpr std::size_t kReportMessageLimit = 508;
constexpr std::size_t kEventMessageLimit = 1023;

// Event types for LogEvent.
constexpr int TRACE_EVENT_ERROR = 1;
constexpr int TRACE_EVENT_WARNING = 2;
constexpr int TRACE_EVENT_INFORMATION = 4;

// Cuts UTF-8 text to at most the given number of characters.
std::string TruncateText(std::string_view text, std::size_t maxChars);
// The file name after the last path separator, cut to the stored length.
std::string TraceFileName(std::string_view path);

class CTraceBase {
public:
    virtual ~CTraceBase() = default;

    virtual int ReportFailure() = 0;
    // The report proper, with its message already formatted.
    virtual int ReportMessage(HRESULT status, std::string_view file, int line,
                              const std::string& message) = 0;
    virtual HRESULT LogEventMessage(const std::string& source, int type, HRESULT status,
                                    std::string_view file, int line, const std::string& message);

    template <class... Args>
    int Report(HRESULT status, std::string_view file, int line, const char* format,
               const Args&... args) {
        return ReportMessage(status, file, line,
                             TruncateText(fmt::sprintf(format, args...), kReportMessageLimit));
    }

    template <class... Args>
    HRESULT LogEvent(const std::string& source, int type, HRESULT status, std::string_view file,
                     int line, const char* format, const Args&... args) {
        return LogEventMessage(source, type, status, file, line,
                               TruncateText(fmt::sprintf(format, args...), kEventMessageLimit));
    }

    HRESULT GetResult() const { return m_status; }
    // Sets the status an operation returns without reporting it: an answer, not a fault.
    void SetStatus(HRESULT status) { m_status = status; }
    bool IsReported() const { return m_reported; }
    bool Failed() const { return FAILED(m_status); }
    bool Succeeded() const { return SUCCEEDED(m_status); }
    const std::string& FunctionName() const { return m_functionName; }
    // The text of the last report that carried one; empty when none did.
    const std::string& Message() const { return m_message; }
    // What the operation's failure says to a person: the report's text, else the status's.
    std::string FailureText() const;
    const std::string& File() const { return m_file; }
    int Line() const { return m_line; }

protected:
    explicit CTraceBase(std::string functionName);
    std::uint32_t ElapsedMs() const;

    std::string m_functionName;
    std::string m_message;
    std::string m_file;
    int m_line = -1;
    std::uint32_t m_startTick = 0;
    bool m_reported = false;
    HRESULT m_status = S_OK;
};

class CTraceScope : public CTraceBase {
public:
    template <class... Args>
    explicit CTraceScope(const char* format, const Args&... args)
        : CTraceBase(TruncateText(fmt::sprintf(format, args...), kTraceNameLimit)) {}

    // Stores the status; a failure is reported and thrown.
    void Check(HRESULT status);
    // The same for the status of a service's operation: a failure is reported with the
    // service's reason for it when it gives one, so that the report says why, not only that.
    void Check(HRESULT status, IErrorInfo& service,
               std::source_location where = std::source_location::current());

    // Remembers where a failure is raised, for the COM error that follows.
    void SetLocation(std::string_view file, int line);

    // Raises a COM error with the status at the caller's location.
    [[noreturn]] void RaiseComError(HRESULT status,
                                    std::source_location where = std::source_location::current());

    // Reports a failure with a message, then throws the status.
    template <class... Args>
    [[noreturn]] void Fail(HRESULT status, std::string_view file, int line, const char* format,
                           const Args&... args) {
        const std::string message = TruncateText(fmt::sprintf(format, args...), kFailMessageLimit);
        ReportMessage(status, file, line, message);
        m_reported = true;
        throw m_status;
    }

    int ReportFailure() override;
    int ReportMessage(HRESULT status, std::string_view file, int line,
                      const std::string& message) override;

    // Runs an operation's body and ends it with the three catch clauses: a thrown status,
    // a COM error, anything else. Returns the scope's status.
    template <class Body>
    HRESULT Run(Body&& body, std::source_location where = std::source_location::current()) {
        try {
            body();
        } catch (HRESULT status) {
            caughtStatus(status, where);
        } catch (const ComError& error) {
            caughtComError(error, where);
        } catch (...) {
            caughtUnknown(where);
        }
        return m_status;
    }

private:
    void caughtStatus(HRESULT status, const std::source_location& where);
    void caughtComError(const ComError& error, const std::source_location& where);
    void caughtUnknown(const std::source_location& where);
    // The stored location when one was set, else the catch clauses' own.
    std::pair<std::string, int> reportLocation(const std::source_location& where) const;
    // Asks the log's status facet for the status the operation returns from now on.
    void takeLogStatus(ILog& log);
};
