#pragma once
// The server's application object for one logged-on user: it hands out the services.

#include "platform/HResult.h"
#include "platform/Variant.h"

#include <memory>
#include <string>

class IConfigServer;
class ILog;
class ISecurity;
class IChannel;

class IAppServer {
public:
    virtual ~IAppServer() = default;
    // The security service, or null when the server offers none.
    virtual std::shared_ptr<ISecurity> QuerySecurity() = 0;
    virtual HRESULT GetConfigServer(const std::string& appName,
                                    std::shared_ptr<IConfigServer>& server) = 0;
    virtual HRESULT GetLog(const std::string& appName, std::shared_ptr<ILog>& log) = 0;
    // index is a 32-bit integer.
    virtual HRESULT GetChannel(const Variant& index, std::shared_ptr<IChannel>& channel) = 0;
};
