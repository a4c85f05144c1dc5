#include "Serve.h"

#include "server/ILog.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/service/HttpService.h"
#include "server/service/ServiceRecord.h"
#include "server/service/ServiceRouter.h"
#include "server/wire/WireFormat.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

int refuse(const QString& text) {
    std::fprintf(stderr, "trellis-server: %s\n", text.toLocal8Bit().constData());
    return 1;
}

// "ADDRESS:PORT", the address an IP literal (IPv6 in brackets).
bool parseListen(const QString& text, QHostAddress& address, quint16& port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number > 65535 || !address.setAddress(host))
        return false;
    port = static_cast<quint16>(number);
    return true;
}

} // namespace

int Serve(const QString& directory, const QStringList& arguments) {
    QHostAddress address(QHostAddress::LocalHost);
    quint16 port = wire::kDefaultPort;
    QString certificateFile;
    QString keyFile;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size())
            return 2;
        const QString& option = arguments[i];
        const QString& value = arguments[i + 1];
        if (option == QLatin1String("--listen")) {
            if (!parseListen(value, address, port))
                return refuse(QStringLiteral("--listen takes ADDRESS:PORT, such as 127.0.0.1:%1, "
                                             "not '%2'")
                                  .arg(wire::kDefaultPort)
                                  .arg(value));
        } else if (option == QLatin1String("--certificate")) {
            certificateFile = value;
        } else if (option == QLatin1String("--key")) {
            keyFile = value;
        } else {
            return 2;
        }
    }
    if (certificateFile.isEmpty() != keyFile.isEmpty())
        return refuse(QStringLiteral("--certificate and --key go together"));

    const std::shared_ptr<EmbeddedServer> server = EmbeddedServer::forDirectory(directory);
    const StateFiles& files = server->files();
    if (const auto running = ReadServiceRecord(files);
        running && running->pid != QCoreApplication::applicationPid() && IsRunning(*running))
        return refuse(QStringLiteral("a service already runs for %1 (process %2, on %3:%4)")
                          .arg(directory)
                          .arg(running->pid)
                          .arg(running->address)
                          .arg(running->port));

    ServiceCredentials credentials;
    std::string reason;
    bool made = false;
    const bool loaded = certificateFile.isEmpty()
                            ? StateCredentials(files, credentials, made, reason)
                            : LoadCredentials(certificateFile, keyFile, credentials, reason);
    if (!loaded)
        return refuse(QString::fromStdString(reason));
    const QString fingerprint = Fingerprint(credentials.certificate);
    if (made)
        std::printf("trellis-server: made a new key and certificate in %s\n",
                    directory.toLocal8Bit().constData());

    auto router =
        std::make_shared<ServiceRouter>(server, std::chrono::seconds(wire::kSessionIdleSeconds));
    HttpService service(router, credentials);
    QString why;
    if (!service.listen(address, port, why))
        return refuse(QStringLiteral("cannot listen on %1:%2: %3")
                          .arg(address.toString())
                          .arg(port)
                          .arg(why));

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return refuse(QStringLiteral("cannot set up the signal handling"));
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    const ServiceRecord record{QCoreApplication::applicationPid(), service.address().toString(),
                               service.port(), fingerprint};
    const bool v6 = service.address().protocol() == QAbstractSocket::IPv6Protocol;
    const QString where =
        QString::fromLatin1(v6 ? "[%1]:%2" : "%1:%2").arg(record.address).arg(record.port);
    std::printf("trellis-server: listening on %s, certificate SHA-256 %s\n",
                where.toLocal8Bit().constData(), fingerprint.toLatin1().constData());
    std::fflush(stdout);
    if (const HRESULT written = WriteServiceRecord(files, record); FAILED(written))
        std::fprintf(stderr,
                     "trellis-server: service.json could not be written (%s); status "
                     "will not show this service\n",
                     ComErrorText(written).c_str());
    server->log(S_OK, LOG_KIND_REPORT, "service", 0, 0,
                "The service listens on " + where.toStdString() + ", certificate SHA-256 " +
                    fingerprint.toStdString());

    const int status = QCoreApplication::exec();

    if (const auto stored = ReadServiceRecord(files); stored && stored->pid == record.pid) {
        if (const HRESULT removed = RemoveServiceRecord(files); FAILED(removed))
            std::fprintf(stderr, "trellis-server: service.json could not be removed (%s)\n",
                         ComErrorText(removed).c_str());
    }
    server->log(S_OK, LOG_KIND_REPORT, "service", 0, 0, "The service stopped");
    std::printf("trellis-server: stopped\n");
    return status;
}

void ShowServiceStatus(const StateFiles& files) {
    const std::optional<ServiceRecord> record = ReadServiceRecord(files);
    if (!record) {
        std::printf("service: not running\n");
        return;
    }
    if (!IsRunning(*record)) {
        std::printf("service: not running (process %lld, recorded in service.json, has ended "
                    "without removing it)\n",
                    static_cast<long long>(record->pid));
        return;
    }
    std::printf("service: running (process %lld) on %s:%u, certificate SHA-256 %s\n",
                static_cast<long long>(record->pid), record->address.toLocal8Bit().constData(),
                record->port, record->fingerprint.toLatin1().constData());
}
