#include "TraceScope.h"

#include "ConfigState.h"
#include "server/IErrorInfo.h"
#include "server/ILog.h"

#include <syslog.h>

#include <chrono>

namespace {

std::uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

constexpr const char* kUnknownError = "Unknown error";

} // namespace

std::string TruncateText(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Count lead bytes only, so a multi-byte character is never split.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars)
                return std::string(text.substr(0, i));
            ++chars;
        }
    }
    return std::string(text);
}

std::string TraceFileName(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return TruncateText(slash == std::string_view::npos ? path : path.substr(slash + 1),
                        kTraceFileLimit);
}

CTraceBase::CTraceBase(std::string functionName)
    : m_functionName(std::move(functionName)), m_startTick(tickCount()) {}

std::string CTraceBase::FailureText() const {
    return m_message.empty() || m_message == kUnknownError ? ComErrorText(m_status) : m_message;
}

std::uint32_t CTraceBase::ElapsedMs() const {
    return tickCount() - m_startTick;
}

HRESULT CTraceBase::LogEventMessage(const std::string& source, int type, HRESULT status,
                                    std::string_view file, int line, const std::string& message) {
    m_status = status;
    m_reported = true;
    const std::string text =
        type == TRACE_EVENT_ERROR
            ? fmt::sprintf("%s\r\n  ->%s\r\n%s(%d) : Error 0x%x", message, m_functionName,
                           std::string(file), line, static_cast<std::uint32_t>(status))
            : message;
    if (source.empty())
        return E_FAIL;
    const int priority = type == TRACE_EVENT_ERROR     ? LOG_ERR
                         : type == TRACE_EVENT_WARNING ? LOG_WARNING
                                                       : LOG_INFO;
    // openlog keeps the identity pointer, so it must live until closelog.
    const std::string identity = source;
    openlog(identity.c_str(), LOG_PID, LOG_USER);
    syslog(priority, "%s", text.c_str());
    closelog();
    return S_OK;
}

void CTraceScope::Check(HRESULT status) {
    m_status = status;
    if (FAILED(status)) {
        ReportFailure();
        throw m_status;
    }
}

void CTraceScope::Check(HRESULT status, IErrorInfo& service, std::source_location where) {
    if (SUCCEEDED(status)) {
        m_status = status;
        return;
    }
    const std::string reason = service.LastErrorText();
    if (reason.empty())
        Check(status);
    Fail(status, where.file_name(), static_cast<int>(where.line()), "%s", reason);
}

void CTraceScope::SetLocation(std::string_view file, int line) {
    m_file = TraceFileName(file);
    m_line = line;
}

void CTraceScope::RaiseComError(HRESULT status, std::source_location where) {
    SetLocation(where.file_name(), static_cast<int>(where.line()));
    throw ComError(status);
}

int CTraceScope::ReportMessage(HRESULT status, std::string_view file, int line,
                               const std::string& message) {
    m_status = status;
    m_reported = true;
    m_line = line;
    m_message = message;
    const std::uint32_t elapsed = ElapsedMs();
    m_file = TraceFileName(file);
    const std::shared_ptr<ILog> log = CConfigState::SharedLogInterface();
    if (!log)
        return 1;
    log->LogEntry(status, LOG_KIND_REPORT, m_file, line, elapsed, message);
    takeLogStatus(*log);
    log->LogEntry(m_status, LOG_KIND_OPERATION, std::string(), 0, 0, m_functionName);
    return 1;
}

int CTraceScope::ReportFailure() {
    m_reported = true;
    const std::shared_ptr<ILog> log = CConfigState::SharedLogInterface();
    if (!log)
        return 1;
    log->LogEntry(m_status, LOG_KIND_OPERATION, m_file, m_line, 0, m_functionName);
    takeLogStatus(*log);
    return 1;
}

void CTraceScope::takeLogStatus(ILog& log) {
    // A log without a status facet, or one that cannot answer, leaves the status as it
    // was: a failure must never turn into success on its way to the log.
    const std::shared_ptr<ILogStatus> facet = log.StatusFacet();
    std::int32_t value = 0;
    if (facet && SUCCEEDED(facet->GetStatus(value)))
        m_status = value;
}

std::pair<std::string, int> CTraceScope::reportLocation(const std::source_location& where) const {
    if (m_line == -1)
        return {where.file_name(), static_cast<int>(where.line())};
    return {m_file, m_line};
}

void CTraceScope::caughtStatus(HRESULT status, const std::source_location& where) {
    m_status = status;
    if (!m_reported) {
        const auto [file, line] = reportLocation(where);
        Report(status, file, line, "%s", kUnknownError);
    }
}

void CTraceScope::caughtComError(const ComError& error, const std::source_location& where) {
    m_status = error.Error();
    const auto [file, line] = reportLocation(where);
    Report(error.Error(), file, line, "%s", error.ErrorMessage());
}

void CTraceScope::caughtUnknown(const std::source_location& where) {
    m_status = E_FAIL;
    const auto [file, line] = reportLocation(where);
    Report(E_FAIL, file, line, "%s", kUnknownError);
}
