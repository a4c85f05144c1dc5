#pragma once
// The reason of a service's last failure, as COM's error info gives it: the status says that
// an operation failed, this says why, in words a person can be shown. It is plain text, so
// that it crosses a network connection as it is.

#include "platform/HResult.h"

#include <string>

class IErrorInfo {
public:
    virtual ~IErrorInfo() = default;
    // Why the service object's last operation failed, or why the last document it judged is
    // not usable; empty after a success, or when the service gives no reason.
    virtual std::string LastErrorText() { return {}; }
};

// A failed call of a service, told to a person: the service's reason ("The server says:
// ..."), a connection that broke or got no answer as the client's own finding, else the
// status's text. Empty for a success without a reason.
inline std::string ServerFailureText(IErrorInfo* service, HRESULT status) {
    const std::string reason = service ? service->LastErrorText() : std::string();
    if (!reason.empty() && (status == HRESULT_CONNECTION_ABORTED || status == HRESULT_TIMEOUT))
        return "The connection to the server was lost: " + AsSentence(reason);
    if (!reason.empty())
        return "The server says: " + AsSentence(reason);
    return FAILED(status) ? ComErrorText(status) : std::string();
}
