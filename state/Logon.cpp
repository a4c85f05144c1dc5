// CConfigState::CreateAppServers: connection, logon, rights and the configuration document.

#include "ConfigState.h"

#include "SharedState.h"
#include "TraceScope.h"
#include "XPathAccess.h"
#include "platform/Prompter.h"
#include "platform/XmlDocument.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigServer.h"
#include "server/IConnection.h"
#include "server/ILog.h"
#include "server/ServiceFactory.h"

#include <QString>
#include <QSysInfo>

#include <cstdio>

namespace {

constexpr const char* kApplicationName = "Trellis";
constexpr int kComputerNameLength = 100;

bool sameTextNoCase(const std::string& a, const char* b) {
    return QString::fromStdString(a).compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

} // namespace

HRESULT CConfigState::CreateAppServers(const LogonParameters& logon) {
    CTraceScope scope("CConfigState::CreateAppServers");
    SharedState& s = sharedState();
    s.logonFailure.clear();
    scope.Run([&] {
        std::string host = logon.hostName;

        IServiceFactory* factory = serviceFactory();
        const std::shared_ptr<IConnection> connection =
            factory ? factory->CreateConnection() : nullptr;
        if (!connection)
            scope.RaiseComError(E_NOINTERFACE);
        scope.Check(connection->SetHost(host));

        // From here on the host name is only shown and used in the group name.
        if (sameTextNoCase(host, "localhost"))
            host = QSysInfo::machineHostName().left(kComputerNameLength - 1).toStdString();

        bool credentialsGiven = logon.credentialsGiven;
        bool done = false;
        // The dialog offers the name last tried, so a retry only needs the password again.
        std::string lastUser = logon.userName;
        while (!done) {
            // Each attempt starts from nothing: a cancelled retry must not leave the flags
            // of an earlier one.
            s.authenticated = false;
            s.authorized = false;
            s.userName.clear();
            std::string user = logon.userName;
            std::string password = logon.password;
            std::string domain = logon.domain;
            if (!credentialsGiven) {
                // Nobody is asked a password for a host that is out of reach or was not
                // trusted: nothing would be sent to it.
                bool reachable = false;
                if (SUCCEEDED(connection->IsConnected(reachable)) && !reachable)
                    scope.Fail(E_FAIL, __FILE__, __LINE__, "Could not connect to host server %s",
                               host);
                const LogonAnswer answer =
                    prompter().logon("Log On to Configuration", lastUser, nullptr);
                if (answer.result != IDOK)
                    return;
                user = answer.userName;
                password = answer.password;
                domain = answer.domain;
            }
            lastUser = user;
            scope.Check(connection->LogOn(user, password, domain, credentialsGiven));

            bool connected = false;
            const HRESULT connectedStatus = connection->IsConnected(connected);
            if (FAILED(connectedStatus) || !connected)
                scope.Fail(FAILED(connectedStatus) ? connectedStatus : E_FAIL, __FILE__, __LINE__,
                           "Could not connect to host server %s", host);

            bool loggedOn = false;
            const HRESULT loggedOnStatus = connection->IsLoggedOn(loggedOn);
            if (FAILED(loggedOnStatus) || !loggedOn) {
                std::fputs("Trellis: Failed user authentication.\n", stderr);
                const int retry = prompter().messageBox(
                    "Log on failed. You are not authorized to view configurations.\nDo you want "
                    "to retry?",
                    "Security", MB_TOUCH_QUESTION, nullptr);
                if (retry != IDYES) {
                    scope.SetStatus(E_ACCESSDENIED);
                    return;
                }
                credentialsGiven = false;
                continue;
            }

            s.authenticated = true;
            s.userName = user;
            bool member = false;
            scope.Check(connection->IsMemberOfGroup("BUILTIN\\Administrators", member));
            if (!member)
                scope.Check(connection->IsMemberOfGroup(host + "\\TarvoAdministrators", member));
            if (member) {
                s.authorized = true;
                done = true;
                continue;
            }
            const int answer = prompter().messageBox(
                "Your account does not authorize you to change configuration settings.\n\nYou "
                "may press Ignore to open a read-only version of the configuration, press Retry "
                "to log in again, or press Abort to quit.",
                "Security", MB_TOUCH_ABORTRETRYIGNORE, nullptr);
            if (answer == IDIGNORE) {
                done = true;
            } else if (answer == IDRETRY) {
                credentialsGiven = false;
            } else {
                scope.SetStatus(E_ACCESSDENIED);
                return;
            }
        }

        std::shared_ptr<IAppServer> appServer;
        std::int16_t unused = 0;
        const HRESULT appStatus = connection->GetAppServer("", kApplicationName, unused, appServer);
        if (FAILED(appStatus) || !appServer)
            scope.Fail(FAILED(appStatus) ? appStatus : E_POINTER, __FILE__, __LINE__,
                       "Failed to create IAppServer pointer %s", host);

        s.security = appServer->QuerySecurity();
        std::shared_ptr<IConfigServer> configServer;
        scope.Check(appServer->GetConfigServer(kApplicationName, configServer));
        s.configServer = configServer;
        std::shared_ptr<ILog> log;
        scope.Check(appServer->GetLog(kApplicationName, log));
        s.log = log;
        if (!configServer || !log)
            scope.RaiseComError(E_POINTER);

        std::string text;
        scope.Check(configServer->GetConfiguration(text));
        // Only a text that parses becomes the document: without one there is nothing to show,
        // commit or restore.
        auto document = std::make_shared<XmlDocument>();
        if (document->loadXml(text) != S_OK) {
            std::string error;
            GetXmlErrorText(*document, error);
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", error);
        }
        s.document = document;
        ++s.documentGeneration;
        s.initialConfiguration = text;
        s.serverCopy.reset(); // made from the logon text when first needed
        s.initialDocument.reset();

        XmlNode panel;
        const HRESULT panelStatus =
            document->documentNode().selectSingleNode("./Config/Panel/CorvanePro", panel);
        if (FAILED(panelStatus))
            scope.RaiseComError(panelStatus);
        s.proPanel = panelStatus == S_OK;

        XmlNodeList channels;
        const HRESULT channelStatus = document->documentNode().selectNodes("//Channel", channels);
        if (FAILED(channelStatus))
            scope.RaiseComError(channelStatus);
        // The table has four slots: further channels are left out, and the log says so.
        s.channelCount =
            static_cast<std::int32_t>(std::min<std::size_t>(channels.size(), kMaxChannels));
        if (channels.size() > static_cast<std::size_t>(kMaxChannels))
            scope.Report(S_FALSE, __FILE__, __LINE__,
                         "The configuration has %d channels; only the first %d are used",
                         static_cast<int>(channels.size()), kMaxChannels);
        // A channel's interlocks and status rows ask the server channel of its channelIndex,
        // so the table reaches the highest index the channels name, gaps included.
        const std::size_t listed = static_cast<std::size_t>(s.channelCount);
        for (std::size_t i = 0; i < listed; ++i) {
            const std::optional<int> index = ChannelIndexOf(channels[i]);
            if (index && *index < kMaxChannels && *index >= s.channelCount)
                s.channelCount = *index + 1;
        }
        for (int index = 0; index < s.channelCount; ++index) {
            std::shared_ptr<IChannel> channel;
            scope.Check(appServer->GetChannel(Variant(static_cast<std::int32_t>(index)), channel));
            s.channels[static_cast<std::size_t>(index)] = channel;
        }
    });
    if (scope.Failed())
        s.logonFailure = scope.FailureText();
    return scope.GetResult();
}
