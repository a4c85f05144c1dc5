#include "FakeHttpsService.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSslKey>
#include <QSslSocket>

namespace {

QByteArray openssl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("openssl"), arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

} // namespace

QJsonObject FakeHttpsService::Request::json() const {
    return QJsonDocument::fromJson(body).object();
}

FakeHttpsService::FakeHttpsService() {
    useNewCertificate();
    connect(&m_server, &QSslServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* next = m_server.nextPendingConnection())
            serve(static_cast<QSslSocket*>(next));
    });
    m_server.listen(QHostAddress(QStringLiteral("127.0.0.2")));
}

void FakeHttpsService::useNewCertificate() {
    const QString key = m_folder.filePath(QStringLiteral("key.pem"));
    const QString certificate = m_folder.filePath(QStringLiteral("cert.pem"));
    openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", key, "-out", certificate, "-days", "2", "-subj", "/CN=trellis-test"});
    // "sha256 Fingerprint=AB:CD:..."
    m_fingerprint = QString::fromLatin1(
        openssl({"x509", "-noout", "-fingerprint", "-sha256", "-in", certificate})
            .trimmed()
            .split('=')
            .last());

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_3OrLater);
    QFile keyFile(key);
    QFile certificateFile(certificate);
    if (keyFile.open(QIODevice::ReadOnly) && certificateFile.open(QIODevice::ReadOnly)) {
        tls.setPrivateKey(QSslKey(&keyFile, QSsl::Ec));
        tls.setLocalCertificate(QSslCertificate(&certificateFile));
    }
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(tls);
    // The connections open so far showed the old one.
    for (QSslSocket* socket : m_buffers.keys())
        socket->abort();
}

std::string FakeHttpsService::host() const {
    return "127.0.0.2:" + std::to_string(m_server.serverPort());
}

std::vector<FakeHttpsService::Request> FakeHttpsService::requestsTo(const QByteArray& method,
                                                                    const QByteArray& path) const {
    std::vector<Request> found;
    for (const Request& request : m_requests)
        if (request.method == method && request.path == path)
            found.push_back(request);
    return found;
}

void FakeHttpsService::serve(QSslSocket* socket) {
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.remove(socket); });
    connect(socket, &QSslSocket::readyRead, this, [this, socket] {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        // One request at a time: its headers, then as many bytes as Content-Length says.
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request request;
            const QList<QByteArray> lines = buffer.left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            const QByteArray target = first.value(1);
            const qsizetype question = target.indexOf('?');
            request.path = question < 0 ? target : target.left(question);
            request.query = question < 0 ? QByteArray() : target.mid(question + 1);
            for (const QByteArray& line : lines.mid(1)) {
                const qsizetype colon = line.indexOf(':');
                request.headers.insert(line.left(colon).trimmed().toLower(),
                                       line.mid(colon + 1).trimmed());
            }
            const qsizetype length = request.headers.value("content-length").toLongLong();
            if (buffer.size() < end + 4 + length)
                return;
            request.body = buffer.mid(end + 4, length);
            request.raw = buffer.left(end + 4 + length);
            buffer.remove(0, end + 4 + length);
            m_requests.push_back(request);

            const Response response = m_handler ? m_handler(request) : Response(404);
            if (response.act == Response::Act::Silent)
                return;
            if (response.act == Response::Act::Cut) {
                socket->abort();
                return;
            }
            const QByteArray body = QJsonDocument(response.body).toJson(QJsonDocument::Compact);
            QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                              " Answer\r\nContent-Type: application/json\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n";
            if (!response.etag.isEmpty())
                head += "ETag: " + response.etag + "\r\n";
            socket->write(head + "\r\n" + body);
        }
    });
}
