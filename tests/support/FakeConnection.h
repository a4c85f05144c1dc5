#pragma once
// A scripted server for logon tests: each answer can be set, each call is recorded.

#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConnection.h"
#include "server/ServiceFactory.h"
#include "support/FakeServices.h"

#include <algorithm>
#include <array>
#include <deque>
#include <map>

class FakeChannel : public IChannel {
public:
    std::map<std::string, Variant> values;
    HRESULT failure = S_OK;
    HRESULT GetStatus(const std::string& name, Variant& value) override {
        if (FAILED(failure))
            return failure;
        const auto found = values.find(name);
        if (found == values.end())
            return E_INVALIDARG;
        value = found->second;
        return S_OK;
    }
};

class FakeAppServer : public IAppServer {
public:
    std::shared_ptr<FakeConfigServer> configServer = std::make_shared<FakeConfigServer>();
    std::shared_ptr<FakeLog> log = std::make_shared<FakeLog>();
    std::array<std::shared_ptr<FakeChannel>, 8> channels;
    std::vector<int> channelRequests;

    FakeAppServer() {
        for (auto& channel : channels)
            channel = std::make_shared<FakeChannel>();
    }
    std::shared_ptr<ISecurity> QuerySecurity() override { return nullptr; }
    HRESULT GetConfigServer(const std::string&, std::shared_ptr<IConfigServer>& server) override {
        server = configServer;
        return S_OK;
    }
    HRESULT GetLog(const std::string&, std::shared_ptr<ILog>& out) override {
        out = log;
        return S_OK;
    }
    HRESULT GetChannel(const Variant& index, std::shared_ptr<IChannel>& channel) override {
        std::int32_t number = -1;
        index.toInt32(number);
        channelRequests.push_back(number);
        channel = channels.at(static_cast<std::size_t>(number));
        return S_OK;
    }
};

class FakeConnection : public IConnection {
public:
    std::string host;
    bool connected = true;
    std::deque<bool> logonAnswers; // one per logon; an empty queue means success
    bool loggedOn = false;
    std::vector<std::string> groupsAsked;
    std::vector<std::string> memberOf;
    std::shared_ptr<FakeAppServer> appServer = std::make_shared<FakeAppServer>();
    HRESULT appServerStatus = S_OK;
    std::vector<std::string> usersLoggedOn;

    HRESULT SetHost(const std::string& name) override {
        host = name;
        return S_OK;
    }
    HRESULT LogOn(const std::string& user, const std::string&, const std::string&, bool) override {
        usersLoggedOn.push_back(user);
        loggedOn = logonAnswers.empty() || logonAnswers.front();
        if (!logonAnswers.empty())
            logonAnswers.pop_front();
        return S_OK;
    }
    HRESULT IsConnected(bool& answer) override {
        answer = connected;
        return S_OK;
    }
    HRESULT IsLoggedOn(bool& answer) override {
        answer = loggedOn;
        return S_OK;
    }
    HRESULT IsMemberOfGroup(const std::string& group, bool& member) override {
        groupsAsked.push_back(group);
        member = std::find(memberOf.begin(), memberOf.end(), group) != memberOf.end();
        return S_OK;
    }
    HRESULT GetAppServer(const std::string&, const std::string&, std::int16_t&,
                         std::shared_ptr<IAppServer>& server) override {
        if (SUCCEEDED(appServerStatus))
            server = appServer;
        return appServerStatus;
    }
};

class FakeFactory : public IServiceFactory {
public:
    std::shared_ptr<FakeConnection> connection = std::make_shared<FakeConnection>();
    FakeFactory() { installServiceFactory(this); }
    ~FakeFactory() override { installServiceFactory(nullptr); }
    std::shared_ptr<IConnection> CreateConnection() override { return connection; }
    std::shared_ptr<ITimecode> CreateTimecode() override { return nullptr; }
};

// A configuration with the given number of channels.
inline std::string configurationWithChannels(int count, bool proPanel = true) {
    std::string text = "<Config><System><SystemVideoReference "
                       "referenceStandard=\"Format525_29_97Hz_2To1\"/></System>";
    for (int i = 0; i < count; ++i)
        text += "<Channel channelIndex=\"" + std::to_string(i) + "\" id=\"C" +
                std::to_string(i + 1) + "\" channelType=\"Player\"/>";
    if (proPanel)
        text += "<Panel><CorvanePro/></Panel>";
    return text + "</Config>";
}
