#pragma once
// The reason of a service's last failure, as COM's error info gives it: the status says that
// an operation failed, this says why, in words a person can be shown. It is plain text, so
// that it crosses a network connection as it is.

#include <string>

class IErrorInfo {
public:
    virtual ~IErrorInfo() = default;
    // Why the service object's last operation failed, or why the last document it judged is
    // not usable; empty after a success, or when the service gives no reason.
    virtual std::string LastErrorText() { return {}; }
};
