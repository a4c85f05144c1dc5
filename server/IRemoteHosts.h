#pragma once
// The server's remote hosts file: the hosts that may control the server, kept as one small
// XML file on the server's disk. The utility reads it and writes it back whole; what the
// file holds is the utility's business, the server only keeps it. A failed read or write
// leaves its reason for LastErrorText().

#include "IErrorInfo.h"
#include "platform/HResult.h"

#include <string>

class IRemoteHosts : public IErrorInfo {
public:
    virtual ~IRemoteHosts() = default;
    // The file's bytes; S_FALSE with no bytes when there is no file yet.
    virtual HRESULT ReadHostsFile(std::string& bytes) = 0;
    // Replaces the file whole: it then holds either its old content or all the new.
    virtual HRESULT WriteHostsFile(const std::string& bytes) = 0;
};
