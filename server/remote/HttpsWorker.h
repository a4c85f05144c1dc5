#pragma once
// The worker-thread half of HttpsClient: owns the network access manager and runs each
// request to its end (answer, time-out, broken connection or a certificate that is not the
// pinned one), then hands the reply to the waiting caller.

#include "HttpsClient.h"

#include <QObject>

#include <condition_variable>

class QEventLoop;
class QNetworkAccessManager;
class QNetworkReply;

// One request under way: the caller waits on it, the worker finishes it.
struct PendingReply {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    HttpsReply reply;
    QEventLoop* loop = nullptr; // the GUI thread's wait, quit when done

    void finish(HttpsReply answer);
    // Waits for the reply as the calling thread should (see HttpsClient).
    HttpsReply wait();
};

class HttpsWorker : public QObject {
    Q_OBJECT
public:
    HttpsWorker(QString host, quint16 port, int timeoutMs);

    // On the worker thread: starts the request; pin empty means a probe.
    void start(const HttpsRequest& request, const QString& pin,
               const std::shared_ptr<PendingReply>& pending);

private:
    QNetworkAccessManager& manager();

    QString m_host;
    quint16 m_port;
    int m_timeoutMs;
    QNetworkAccessManager* m_manager = nullptr;
};
