#include "RemoteCommands.h"

#include "HistoryCommands.h"

#include "platform/Terminal.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigHistory.h"
#include "server/IConfigServer.h"
#include "server/embedded/ChannelStates.h"
#include "server/remote/RemoteConnection.h"
#include "server/wire/WireFormat.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

int failed(const QString& host, const std::string& what) {
    std::fprintf(stderr, "trellis-server: %s: %s\n", host.toLocal8Bit().constData(), what.c_str());
    return 1;
}

int showChannels(IAppServer& server) {
    const QStringList names = ChannelStates::names();
    for (int channel = 0; channel < ChannelStates::kChannels; ++channel) {
        std::shared_ptr<IChannel> interface;
        if (FAILED(server.GetChannel(Variant(static_cast<std::int32_t>(channel)), interface)))
            continue;
        std::printf("channel %d:", channel + 1);
        for (const QString& name : names) {
            Variant value;
            if (SUCCEEDED(interface->GetStatus(name.toStdString(), value)))
                std::printf(" %s=%s", name.toLocal8Bit().constData(), value.toText().c_str());
        }
        std::printf("\n");
    }
    return 0;
}

} // namespace

int RunOnHost(const QString& host, const QString& user, const QString& command,
              const QStringList& arguments) {
    const bool history = IsHistoryCommand(command);
    if (!history && ((command != QLatin1String("status") && command != QLatin1String("config")) ||
                     !arguments.isEmpty())) {
        std::fprintf(stderr, "trellis-server: --host takes the commands status, config, history, "
                             "show, diff and export; the others change the state directory of the "
                             "machine they run on\n");
        return 2;
    }
    TerminalPrompter terminalPrompter("trellis-server");
    installPrompter(&terminalPrompter);
    struct Uninstall {
        ~Uninstall() { installPrompter(nullptr); }
    } uninstall;

    RemoteConnection connection(RemoteOptions{wire::kClientTimeoutMs, {}});
    connection.SetHost(host.toStdString());
    bool connected = false;
    connection.IsConnected(connected);
    if (!connected)
        return failed(host, "could not connect to the host server (not reached, or not trusted)");
    const HRESULT logon = connection.LogOn(
        user.toStdString(), AskPassword(user.toStdString()).value_or(std::string()), "", true);
    bool loggedOn = false;
    connection.IsLoggedOn(loggedOn);
    if (FAILED(logon) || !loggedOn)
        return failed(host, FAILED(logon) ? ComErrorText(logon)
                                          : "the user name or password is not right");
    std::shared_ptr<IAppServer> server;
    std::int16_t unused = 0;
    if (const HRESULT hr = connection.GetAppServer("", "trellis-server", unused, server);
        FAILED(hr) || !server)
        return failed(host, ComErrorText(hr));
    if (command == QLatin1String("status"))
        return showChannels(*server);
    std::shared_ptr<IConfigServer> config;
    std::string text;
    if (const HRESULT hr = server->GetConfigServer("trellis-server", config); FAILED(hr) || !config)
        return failed(host, ComErrorText(hr));
    if (history) {
        const std::shared_ptr<IConfigHistory> facet = config->HistoryFacet();
        if (!facet)
            return failed(host, "the host server keeps no history");
        // 2 (arguments not understood) shows the usage.
        return RunHistoryCommand(*facet, command, arguments).value_or(2);
    }
    if (const HRESULT hr = config->GetConfiguration(text); FAILED(hr))
        return failed(host, AsSentence(config->LastErrorText().empty() ? ComErrorText(hr)
                                                                       : config->LastErrorText()));
    std::fputs(text.c_str(), stdout);
    return 0;
}
