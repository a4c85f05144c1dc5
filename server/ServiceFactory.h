#pragma once
// Where the program obtains the server's objects. The application installs the factory of
// the server it talks to; tests install their own to make any call fail.

#include <memory>

class IConnection;
class ITimecode;

class IServiceFactory {
public:
    virtual ~IServiceFactory() = default;
    virtual std::shared_ptr<IConnection> CreateConnection() = 0;
    virtual std::shared_ptr<ITimecode> CreateTimecode() = 0;
};

// The installed factory, or null when none is installed.
IServiceFactory* serviceFactory();
void installServiceFactory(IServiceFactory* factory);
