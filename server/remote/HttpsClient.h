#pragma once
// HTTPS requests to one host over TLS 1.3, made on a worker thread of their own and waited
// for by the calling thread: the GUI thread waits in a local event loop that keeps painting
// but takes no input, and shows the wait cursor after 200 ms; any other thread just waits.
// The host's certificate is pinned by its SHA-256 fingerprint: a request whose connection
// shows another certificate is aborted before anything is sent.

#include "platform/HResult.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QThread>
#include <QUrlQuery>

#include <memory>
#include <mutex>
#include <string>

struct HttpsRequest {
    QByteArray method = "GET";
    QString path;
    QUrlQuery query;
    QByteArray body; // JSON, sent when not empty
    QList<QPair<QByteArray, QByteArray>> headers;
};

struct HttpsReply {
    // S_OK when the host answered (whatever its HTTP status), else why not:
    // HRESULT_TIMEOUT or HRESULT_CONNECTION_ABORTED, with the reason in words.
    HRESULT failure = S_OK;
    std::string reason;
    int status = 0;
    QByteArray body;
    QByteArray etag;
    // The host's certificate fingerprint, as "AB:CD:..." (upper-case hex pairs).
    QString fingerprint;
};

class HttpsWorker;

class HttpsClient {
public:
    HttpsClient(QString host, quint16 port, int timeoutMs);
    ~HttpsClient();
    HttpsClient(const HttpsClient&) = delete;
    HttpsClient& operator=(const HttpsClient&) = delete;

    // Makes a TLS connection and gives the host's certificate fingerprint; nothing is sent.
    HttpsReply probe();
    // Requests go only to a host showing the certificate of this fingerprint.
    void pin(const QString& fingerprint);
    // Sends one request and waits for its answer, from any thread but the worker's.
    HttpsReply send(const HttpsRequest& request);

private:
    HttpsReply run(const HttpsRequest& request, bool probe);

    QThread m_thread;
    HttpsWorker* m_worker = nullptr;
    std::mutex m_mutex;
    QString m_pin;
};
