#include "HttpsClient.h"

#include "HttpsWorker.h"
#include "server/wire/WireFormat.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTimer>

#include <fmt/format.h>

#include <openssl/crypto.h>

namespace {

// The wait cursor shows when a call on the GUI thread takes longer than this.
constexpr int kWaitCursorMs = 200;

QString fingerprintOf(const QSslCertificate& certificate) {
    if (certificate.isNull())
        return {};
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

bool onGuiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

} // namespace

void PendingReply::finish(HttpsReply answer) {
    std::lock_guard lock(mutex);
    reply = std::move(answer);
    done = true;
    if (loop)
        QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
    finished.notify_all();
}

HttpsReply PendingReply::wait() {
    if (!onGuiThread()) {
        std::unique_lock lock(mutex);
        finished.wait(lock, [this] { return done; });
        return reply;
    }
    // The screen keeps painting while the call runs, but takes no input meanwhile.
    QEventLoop wait;
    QTimer cursorTimer;
    bool cursorShown = false;
    cursorTimer.setSingleShot(true);
    QObject::connect(&cursorTimer, &QTimer::timeout, [&cursorShown] {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            cursorShown = true;
        }
    });
    cursorTimer.start(kWaitCursorMs);
    bool waiting = false;
    {
        std::lock_guard lock(mutex);
        waiting = !done;
        if (waiting)
            loop = &wait;
    }
    if (waiting)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    std::lock_guard lock(mutex);
    loop = nullptr;
    if (cursorShown)
        QGuiApplication::restoreOverrideCursor();
    return reply;
}

HttpsWorker::HttpsWorker(QString host, quint16 port, int timeoutMs)
    : m_host(std::move(host)), m_port(port), m_timeoutMs(timeoutMs) {}

QNetworkAccessManager& HttpsWorker::manager() {
    if (!m_manager) {
        m_manager = new QNetworkAccessManager(this);
        // The pinned host is reached directly, never through a proxy of the environment.
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    return *m_manager;
}

void HttpsWorker::start(const HttpsRequest& request, const QString& pin,
                        const std::shared_ptr<PendingReply>& pending) {
    const bool probe = pin.isEmpty();
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(m_host);
    url.setPort(m_port);
    url.setPath(request.path);
    url.setQuery(request.query);
    QNetworkRequest out(url);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_3OrLater);
    out.setSslConfiguration(tls);
    out.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    out.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::ManualRedirectPolicy);
    if (!request.body.isEmpty())
        out.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    for (const auto& [name, value] : request.headers)
        out.setRawHeader(name, value);

    QNetworkReply* reply = manager().sendCustomRequest(out, request.method, request.body);
    struct Seen {
        QString fingerprint;
        bool mismatch = false;
        bool timedOut = false;
    };
    auto seen = std::make_shared<Seen>();
    // The certificate is checked when the handshake is done and before the request goes
    // out; a probe only takes its fingerprint.
    const auto acceptable = [reply, pin, probe, seen](QSslCertificate certificate) {
        seen->fingerprint = fingerprintOf(certificate);
        if (probe || seen->fingerprint != pin) {
            seen->mismatch = !probe;
            reply->abort();
            return false;
        }
        return true;
    };
    connect(reply, &QNetworkReply::sslErrors, reply,
            [reply, acceptable](const QList<QSslError>& errors) {
                // A self-signed certificate is fine when it is the pinned one.
                QSslCertificate peer = reply->sslConfiguration().peerCertificate();
                if (peer.isNull() && !errors.isEmpty())
                    peer = errors.first().certificate();
                if (acceptable(peer))
                    reply->ignoreSslErrors(errors);
            });
    connect(reply, &QNetworkReply::encrypted, reply,
            [reply, acceptable] { acceptable(reply->sslConfiguration().peerCertificate()); });
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [reply, seen] {
        seen->timedOut = true;
        reply->abort();
    });
    timer->start(m_timeoutMs);

    connect(reply, &QNetworkReply::finished, this, [=, this] {
        HttpsReply answer;
        answer.fingerprint = seen->fingerprint;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (probe && !seen->fingerprint.isEmpty()) {
            // The handshake was all a probe wanted.
        } else if (seen->timedOut) {
            answer.failure = HRESULT_TIMEOUT;
            answer.reason =
                fmt::format("the server did not answer within {} seconds", m_timeoutMs / 1000.0);
        } else if (seen->mismatch) {
            answer.failure = HRESULT_CONNECTION_ABORTED;
            answer.reason = "the host showed a certificate other than the trusted one "
                            "(SHA-256 fingerprint " +
                            seen->fingerprint.toStdString() + ")";
        } else if (status.isValid() && !probe) {
            answer.status = status.toInt();
            answer.body = reply->readAll();
            answer.etag = reply->rawHeader(wire::kETag);
        } else {
            answer.failure = HRESULT_CONNECTION_ABORTED;
            answer.reason = reply->errorString().toStdString();
        }
        reply->deleteLater();
        pending->finish(std::move(answer));
    });
}

HttpsClient::HttpsClient(QString host, quint16 port, int timeoutMs)
    : m_worker(new HttpsWorker(std::move(host), port, timeoutMs)) {
    m_thread.setObjectName(QStringLiteral("https client"));
    m_worker->moveToThread(&m_thread);
    // The worker ends on its own thread, and OpenSSL's state of that thread with it: left to
    // the end of the process, it would stay allocated to no one.
    // (Direct: the thread object lives on the calling thread, which would queue the call.)
    QObject::connect(
        &m_thread, &QThread::finished, &m_thread,
        [worker = m_worker] {
            delete worker;
            OPENSSL_thread_stop();
        },
        Qt::DirectConnection);
    m_thread.start();
}

HttpsClient::~HttpsClient() {
    m_thread.quit();
    m_thread.wait();
}

void HttpsClient::pin(const QString& fingerprint) {
    std::lock_guard lock(m_mutex);
    m_pin = fingerprint;
}

HttpsReply HttpsClient::probe() {
    HttpsRequest request;
    request.path = QString::fromLatin1(wire::kSession);
    return run(request, true);
}

HttpsReply HttpsClient::send(const HttpsRequest& request) {
    return run(request, false);
}

HttpsReply HttpsClient::run(const HttpsRequest& request, bool probe) {
    QString pin;
    {
        std::lock_guard lock(m_mutex);
        pin = m_pin;
    }
    if (!probe && pin.isEmpty()) {
        HttpsReply refused;
        refused.failure = HRESULT_CONNECTION_ABORTED;
        refused.reason = "the host is not trusted";
        return refused;
    }
    auto pending = std::make_shared<PendingReply>();
    HttpsWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, request, pin, pending] { worker->start(request, pin, pending); },
        Qt::QueuedConnection);
    return pending->wait();
}
