#pragma once
// Status codes shared by every layer: negative is failure, S_FALSE means "no such node".

#include <cstdint>
#include <string>

using HRESULT = std::int32_t;

constexpr HRESULT MakeHResult(std::uint32_t value) {
    return static_cast<HRESULT>(value);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
constexpr HRESULT E_HANDLE = MakeHResult(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000A);
constexpr HRESULT HRESULT_FILE_NOT_FOUND = MakeHResult(0x80070002);
constexpr HRESULT HRESULT_PATH_NOT_FOUND = MakeHResult(0x80070003);
constexpr HRESULT HRESULT_WRITE_FAULT = MakeHResult(0x8007001D);
constexpr HRESULT HRESULT_READ_FAULT = MakeHResult(0x8007001E);
constexpr HRESULT HRESULT_LOCK_VIOLATION = MakeHResult(0x80070021);
constexpr HRESULT HRESULT_FILE_TOO_LARGE = MakeHResult(0x800700DF);
constexpr HRESULT HRESULT_INVALID_DATA = MakeHResult(0x8007000D);
constexpr HRESULT HRESULT_NOT_FOUND = MakeHResult(0x80070490);
// What the server holds changed since this client read it: the change was not applied.
constexpr HRESULT E_CHANGED_STATE = MakeHResult(0x8000000C);
// A server over the network did not answer in time, or its connection broke.
constexpr HRESULT HRESULT_TIMEOUT = MakeHResult(0x800705B4);
constexpr HRESULT HRESULT_CONNECTION_ABORTED = MakeHResult(0x800704D4);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// The message text for a status: the system text when one is known, otherwise
// "IDispatch error #%d" for dispatch codes, otherwise "Unknown error 0x%0lX".
std::string ComErrorText(HRESULT status);

// A reason given in words, such as a server's, made a sentence: a full stop is added unless
// it ends with one already (also inside a closing parenthesis).
std::string AsSentence(std::string reason);

// A failure raised with a status and its message text; caught by the trace scope's clauses.
class ComError {
public:
    explicit ComError(HRESULT status) : m_status(status) {}
    HRESULT Error() const { return m_status; }
    std::string ErrorMessage() const { return ComErrorText(m_status); }

private:
    HRESULT m_status;
};
