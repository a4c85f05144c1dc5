#include "HttpService.h"

#include "HttpParser.h"
#include "ServiceRouter.h"
#include "platform/HResult.h"
#include "server/wire/WireFormat.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <deque>

namespace {

// A connection with nothing to do for this long is closed.
constexpr int kIdleMs = 60 * 1000;
// After a refused request the client's remaining bytes are read and dropped for this long,
// so that it sees the answer before the connection closes.
constexpr int kLingerMs = 2000;
constexpr int kHandshakeMs = 10 * 1000;
constexpr qint64 kReadBufferBytes = 1024 * 1024;

// One client's connection: reads requests and answers them in order.
class HttpConnection : public QObject {
public:
    HttpConnection(QSslSocket* socket, std::shared_ptr<ServiceRouter> router, QThreadPool& pool,
                   QObject* parent)
        : QObject(parent), m_socket(socket), m_router(std::move(router)), m_pool(pool),
          m_parser(wire::kMaxHeaderBytes, wire::kMaxBodyBytes) {
        m_socket->setParent(this);
        m_socket->setReadBufferSize(kReadBufferBytes);
        m_idle.setSingleShot(true);
        m_idle.setInterval(kIdleMs);
        connect(&m_idle, &QTimer::timeout, this, [this] {
            if (!m_busy)
                m_socket->abort();
        });
        connect(m_socket, &QSslSocket::readyRead, this, &HttpConnection::read);
        connect(m_socket, &QSslSocket::disconnected, this, &HttpConnection::closed);
        m_idle.start();
        read();
    }

private:
    void read() {
        if (m_closing) {
            m_socket->readAll(); // lingering: what comes after a refused request is dropped
            return;
        }
        // While a request is answered, at most one more is taken in; the rest waits in the
        // socket, whose buffer is bounded, and is read when the answer is sent.
        if (m_busy && m_parser.pending() > wire::kMaxHeaderBytes + wire::kMaxBodyBytes)
            return;
        m_parser.feed(m_socket->readAll());
        m_idle.start();
        next();
    }

    // Routes the next whole request when none is being answered.
    void next() {
        if (m_busy || m_closing)
            return;
        auto parsed = m_parser.next();
        if (auto* failure = std::get_if<HttpFailure>(&parsed)) {
            HttpResponse response =
                JsonError(failure->status, failure->reason,
                          failure->status == 413 ? HRESULT_FILE_TOO_LARGE : E_INVALIDARG);
            response.close = true;
            send(response, false);
            return;
        }
        if (auto* request = std::get_if<HttpRequest>(&parsed)) {
            m_bodyChecked = false;
            request->peer = m_socket->peerAddress().toString();
            m_busy = true;
            dispatch(std::make_shared<HttpRequest>(std::move(*request)));
            return;
        }
        // A body is awaited: it is read only when it will be taken.
        qint64 length = 0;
        const HttpRequest* head = m_parser.awaitingBody(length);
        if (head && length > 0 && !m_bodyChecked) {
            m_bodyChecked = true;
            if (std::optional<HttpResponse> refusal = m_router->refuseBody(*head, length)) {
                refusal->close = true;
                send(*refusal, false);
            } else if (head->header("expect").toLower() == "100-continue") {
                // The client waits for this before it sends a large body.
                m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
            }
        }
    }

    void dispatch(std::shared_ptr<HttpRequest> request) {
        const auto wait = m_router->admissionDelay(*request);
        if (wait.count() > 0) {
            QTimer::singleShot(wait, this, [this, request] { dispatch(request); });
            return;
        }
        // The connection lives until the answer is back (closed() waits for it).
        m_pool.start([this, request, router = m_router] {
            HttpResponse response = router->route(*request);
            QMetaObject::invokeMethod(
                this, [this, request, response] { answered(*request, response); },
                Qt::QueuedConnection);
        });
    }

    void answered(const HttpRequest& request, const HttpResponse& response) {
        if (response.delayMs > 0) {
            HttpResponse now = response;
            now.delayMs = 0;
            QTimer::singleShot(response.delayMs, this,
                               [this, request, now] { answered(request, now); });
            return;
        }
        m_busy = false;
        if (m_gone) {
            deleteLater();
            return;
        }
        send(response, request.keepAlive);
        read();
    }

    void send(const HttpResponse& response, bool keepAlive) {
        m_socket->write(response.serialized(keepAlive));
        m_idle.start();
        if (keepAlive && !response.close)
            return;
        m_closing = true;
        if (m_parser.pending() > 0 || response.close) {
            // The client may still be sending what was refused: it is read and dropped for a
            // while, so that closing does not reset the connection before the answer is read.
            QTimer::singleShot(kLingerMs, this, [this] { m_socket->disconnectFromHost(); });
            return;
        }
        m_socket->disconnectFromHost(); // sends what is written first
    }

    void closed() {
        m_gone = true;
        m_idle.stop();
        if (!m_busy)
            deleteLater();
    }

    QSslSocket* m_socket;
    std::shared_ptr<ServiceRouter> m_router;
    QThreadPool& m_pool;
    HttpRequestParser m_parser;
    QTimer m_idle;
    bool m_busy = false;
    bool m_closing = false;
    bool m_bodyChecked = false; // the awaited body's request was let send it
    bool m_gone = false;
};

} // namespace

HttpService::HttpService(std::shared_ptr<ServiceRouter> router,
                         const ServiceCredentials& credentials, QObject* parent)
    : QObject(parent), m_router(std::move(router)) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_3OrLater);
    configuration.setLocalCertificate(credentials.certificate);
    configuration.setPrivateKey(credentials.key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(configuration);
    m_server.setHandshakeTimeout(kHandshakeMs);
    // Password checks and commits may take a while; status polls go on beside them.
    m_pool.setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
    connect(&m_server, &QSslServer::pendingConnectionAvailable, this, &HttpService::accept);
}

HttpService::~HttpService() {
    m_server.close();
    // Answers still being made are let finish; their connections go with this object.
    m_pool.waitForDone();
}

bool HttpService::listen(const QHostAddress& address, quint16 port, QString& reason) {
    if (m_server.listen(address, port))
        return true;
    reason = m_server.errorString();
    return false;
}

void HttpService::accept() {
    while (QTcpSocket* pending = m_server.nextPendingConnection()) {
        auto* socket = qobject_cast<QSslSocket*>(pending);
        if (!socket || m_connections >= kMaxConnections) {
            pending->abort();
            pending->deleteLater();
            continue;
        }
        ++m_connections;
        auto* connection = new HttpConnection(socket, m_router, m_pool, this);
        connect(connection, &QObject::destroyed, this, [this] { --m_connections; });
    }
}
