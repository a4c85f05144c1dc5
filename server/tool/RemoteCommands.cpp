#include "RemoteCommands.h"

#include "HistoryCommands.h"

#include "platform/Prompter.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigHistory.h"
#include "server/IConfigServer.h"
#include "server/embedded/ChannelStates.h"
#include "server/remote/RemoteConnection.h"
#include "server/wire/WireFormat.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// The terminal, for questions and the password; none when the tool runs without one.
class Terminal {
public:
    Terminal() : m_file(std::fopen("/dev/tty", "r+")) {}
    ~Terminal() {
        if (m_file)
            std::fclose(m_file);
    }
    explicit operator bool() const { return m_file != nullptr; }

    // One line typed after the prompt; echo off for a secret.
    std::string ask(const std::string& prompt, bool secret) {
        std::fputs(prompt.c_str(), m_file);
        std::fflush(m_file);
        termios saved{};
        const int fd = fileno(m_file);
        const bool hide = secret && tcgetattr(fd, &saved) == 0;
        if (hide) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(fd, TCSAFLUSH, &quiet);
        }
        std::string line;
        for (int c = std::fgetc(m_file); c != EOF && c != '\n'; c = std::fgetc(m_file))
            line.push_back(static_cast<char>(c));
        if (hide) {
            tcsetattr(fd, TCSAFLUSH, &saved);
            std::fputs("\n", m_file);
        }
        return line;
    }

private:
    std::FILE* m_file;
};

// The client's questions (trust a new host, a changed certificate, a lost connection) on
// standard error, answered on the terminal; without a terminal a question is declined.
class TerminalPrompter : public DecliningPrompter {
public:
    int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                   QObject*) override {
        std::fprintf(stderr, "trellis-server: %s: %s\n", caption.c_str(), text.c_str());
        if (MessageBoxKind(style) != MB_TOUCH_QUESTION)
            return DeclinedResult(style);
        Terminal terminal;
        if (!terminal)
            return IDNO;
        const std::string answer = terminal.ask("yes or no? ", false);
        return answer == "yes" || answer == "y" ? IDYES : IDNO;
    }
};

int failed(const QString& host, const std::string& what) {
    std::fprintf(stderr, "trellis-server: %s: %s\n", host.toLocal8Bit().constData(), what.c_str());
    return 1;
}

std::string password(const QString& user) {
    if (qEnvironmentVariableIsSet("TRELLIS_PASSWORD"))
        return qEnvironmentVariable("TRELLIS_PASSWORD").toStdString();
    Terminal terminal;
    return terminal ? terminal.ask("password of " + user.toStdString() + ": ", true)
                    : std::string();
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
    TerminalPrompter terminalPrompter;
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
    const HRESULT logon = connection.LogOn(user.toStdString(), password(user), "", true);
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
