// trellis-server: looks at and changes the stand-in server's state directory, for
// demonstrations and manual testing while the utility runs, and serves it over the network.

#include "CommandFailure.h"
#include "HistoryCommands.h"
#include "RemoteCommands.h"
#include "Serve.h"

#include "server/embedded/ChannelStates.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/embedded/StateFiles.h"
#include "server/wire/WireFormat.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage = R"(usage: trellis-server [--dir DIR] COMMAND ...
       trellis-server --host HOST[:PORT] [--user USER] status|config|history|show|diff|export ...

With --host, status (every channel's status), config (the committed configuration) and the
history commands are asked of the network service of HOST (port %2 unless given) as USER (default admin), through
the utility's client: an unknown host's certificate fingerprint is shown and asked about, a
trusted host is kept in ~/.config/trellis/known_hosts, and the password is $TRELLIS_PASSWORD
or is asked on the terminal.

Commands:
  serve [--listen ADDRESS:PORT] [--certificate FILE --key FILE]
                                 serve the state directory over HTTPS (TLS 1.3 only) on
                                 ADDRESS:PORT (default 127.0.0.1:%2; port 0 picks a free
                                 one) until SIGTERM or SIGINT; prints the address and the
                                 certificate's SHA-256 fingerprint and records them in
                                 service.json. The certificate and key are the given PEM
                                 files, else the state directory's own, made on first start
  status                         whether the service runs, and where; every channel's
                                 status; first, while a stored configuration the server
                                 could not use was set aside and the default is in use,
                                 which file, when and why
  set CHANNEL NAME VALUE         set a status; CHANNEL is 1 to 4 (ignored for the
                                 system-wide names systemOffline, referencePresent and
                                 referenceLocked); NAME is one of: %1
  accounts                       the accounts and their groups
  account-set USER [GROUP ...]   create or change an account; the password is read from
                                 standard input
  account-remove USER            remove an account
  config                         the committed configuration
  log [LINES]                    the end of the server log (default 20 lines)
  history [--before ID] [--count N] [--json]
                                 the stored configurations, newest first (50 unless
                                 --count; those older than entry ID with --before): id,
                                 time, origin (commit, default or found), user, address,
                                 restarted channels and summary
  show ID [--json]               one entry of the history with its change report
  diff ID ID [--json]            what changed from the first entry to the second
  export ID FILE                 the configuration of an entry, written to FILE
  audit [--since TIME] [--json]  logons, commits, protocol user and remote hosts changes,
                                 accepted or not, with user and address, oldest first;
                                 those from TIME on (2026-12-01 or 2026-12-01T08:00:00Z)

The history keeps every configuration stored, and the audit its events, for 365 days
($TRELLIS_HISTORY_DAYS; 0 keeps them for good); the history keeps at most
$TRELLIS_HISTORY_ENTRIES configurations when that is set above 0.

The state directory is DIR, else $TRELLIS_SERVER_DIR, else the user's data folder.
A new state directory starts from the default configuration; they are read from:
)";

// The usage on standard output when asked for with --help, else on standard error as the
// answer to a command line that is not understood.
int usage(bool asked = false) {
    const std::string text = QString::fromLatin1(kUsage)
                                 .arg(ChannelStates::names().join(QStringLiteral(", ")))
                                 .arg(wire::kDefaultPort)
                                 .toStdString() +
                             DefaultConfigurationSources();
    std::fputs(text.c_str(), asked ? stdout : stderr);
    return asked ? 0 : 2;
}

int showStatus(EmbeddedServer& server) {
    ShowServiceStatus(server.files());
    if (const std::optional<RejectedConfiguration> rejected = server.rejectedConfiguration()) {
        std::printf("configuration: the stored configuration was rejected at %s (%s); %s; the "
                    "default configuration is in use\n",
                    rejected->time.toString(Qt::ISODate).toLocal8Bit().constData(),
                    rejected->reason.c_str(),
                    rejected->keptAs.isEmpty()
                        ? "it could not be kept aside and config.xml is left as it is"
                        : ("it is kept as " + rejected->keptAs).toLocal8Bit().constData());
    }
    ShowHistoryStatus(server);
    const QStringList names = ChannelStates::names();
    for (int channel = 0; channel < ChannelStates::kChannels; ++channel) {
        std::printf("channel %d:", channel + 1);
        for (const QString& name : names) {
            Variant value;
            if (SUCCEEDED(server.channelStatus(channel, name.toStdString(), value)))
                std::printf(" %s=%s", name.toLocal8Bit().constData(), value.toText().c_str());
        }
        std::printf("\n");
    }
    return 0;
}

int showAccounts(EmbeddedServer& server) {
    for (const Account& account : server.accounts().list()) {
        std::printf("%s\t%s\t%s\n", account.user.toLocal8Bit().constData(),
                    account.domain.isEmpty() ? "." : account.domain.toLocal8Bit().constData(),
                    account.groups.join(QLatin1Char(',')).toLocal8Bit().constData());
    }
    return 0;
}

int showLog(const StateFiles& files, int lines) {
    const auto content = files.read(QStringLiteral("server.log"));
    if (!content)
        return 0;
    const QList<QByteArray> all = content->split('\n');
    for (qsizetype i = std::max<qsizetype>(0, all.size() - lines - 1); i < all.size(); ++i) {
        if (!all[i].isEmpty())
            std::printf("%s\n", all[i].constData());
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    QString directory = DefaultServerDirectory();
    if (args.size() >= 2 && args.first() == QLatin1String("--dir")) {
        directory = args.at(1);
        args = args.mid(2);
    }
    if (args.size() == 1 && args.first() == QLatin1String("--help"))
        return usage(true);
    if (args.size() == 1 && args.first() == QLatin1String("--version")) {
        std::printf("trellis-server %s\n", TRELLIS_VERSION);
        return 0;
    }
    if (args.isEmpty())
        return usage();

    QString host;
    QString user = QStringLiteral("admin");
    while (args.size() >= 2 &&
           (args.first() == QLatin1String("--host") || args.first() == QLatin1String("--user"))) {
        (args.first() == QLatin1String("--host") ? host : user) = args.at(1);
        args = args.mid(2);
    }
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (!host.isEmpty()) {
        const int status = RunOnHost(host, user, command, args);
        return status == 2 ? usage() : status;
    }
    if (command == QLatin1String("serve")) {
        const int status = Serve(directory, args);
        return status == 2 ? usage() : status;
    }
    EmbeddedServer server(directory);
    if (command == QLatin1String("status") && args.isEmpty())
        return showStatus(server);
    if (command == QLatin1String("set") && args.size() == 3) {
        bool ok = false;
        const int channel = args[0].toInt(&ok) - 1;
        if (!ok)
            return usage();
        const HRESULT hr = server.setChannelStatus(channel, args[1], args[2]);
        return FAILED(hr) ? CommandFailed(hr, "set") : 0;
    }
    if (command == QLatin1String("accounts") && args.isEmpty())
        return showAccounts(server);
    if (command == QLatin1String("account-set") && !args.isEmpty()) {
        const QString user = args.takeFirst();
        std::string password;
        std::getline(std::cin, password);
        const HRESULT hr =
            server.accounts().setAccount(user, QString::fromStdString(password), QString(), args);
        return FAILED(hr) ? CommandFailed(hr, "account-set") : 0;
    }
    if (command == QLatin1String("account-remove") && args.size() == 1) {
        const HRESULT hr = server.accounts().remove(args[0]);
        return FAILED(hr) ? CommandFailed(hr, "account-remove") : (hr == S_FALSE ? 1 : 0);
    }
    if (command == QLatin1String("config") && args.isEmpty()) {
        std::string text;
        const HRESULT hr = server.configuration(text);
        if (FAILED(hr))
            return CommandFailed(hr, "config");
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (command == QLatin1String("log") && args.size() <= 1)
        return showLog(server.files(), args.isEmpty() ? 20 : std::max(1, args[0].toInt()));
    if (IsHistoryCommand(command)) {
        if (const std::optional<int> status = RunHistoryCommand(server.history(), command, args))
            return *status;
    }
    if (command == QLatin1String("audit")) {
        if (const std::optional<int> status = RunAuditCommand(server.history(), args))
            return *status;
    }
    return usage();
}
