#pragma once
// The connection to a server host: logon, group membership and the application object.

#include "platform/HResult.h"

#include <cstdint>
#include <memory>
#include <string>

class IAppServer;

class IConnection {
public:
    virtual ~IConnection() = default;
    virtual HRESULT SetHost(const std::string& host) = 0;
    virtual HRESULT LogOn(const std::string& user, const std::string& password,
                          const std::string& domain, bool credentialsGiven) = 0;
    virtual HRESULT IsConnected(bool& connected) = 0;
    virtual HRESULT IsLoggedOn(bool& loggedOn) = 0;
    virtual HRESULT IsMemberOfGroup(const std::string& group, bool& member) = 0;
    virtual HRESULT GetAppServer(const std::string& machine, const std::string& appName,
                                 std::int16_t& unused, std::shared_ptr<IAppServer>& server) = 0;
};
