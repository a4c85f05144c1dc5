#pragma once
// The service's listener: HTTPS over TLS 1.3 only, HTTP/1.1 with keep-alive. Each
// connection's requests are parsed on the listener's thread and routed, one at a time per
// connection, on a pool of threads, so that a slow password check or commit on one
// connection does not hold up the others; answers are written back on the listener's thread.

#include "Certificate.h"

#include <QHostAddress>
#include <QObject>
#include <QSslServer>
#include <QThreadPool>

#include <memory>

class ServiceRouter;

class HttpService : public QObject {
    Q_OBJECT
public:
    HttpService(std::shared_ptr<ServiceRouter> router, const ServiceCredentials& credentials,
                QObject* parent = nullptr);
    ~HttpService() override;

    // Listens on the address and port (0 picks a free one); false with the reason when it
    // cannot.
    bool listen(const QHostAddress& address, quint16 port, QString& reason);
    quint16 port() const { return m_server.serverPort(); }
    QHostAddress address() const { return m_server.serverAddress(); }

    // The most connections served at once; more are closed as they come.
    static constexpr int kMaxConnections = 256;

private:
    void accept();

    std::shared_ptr<ServiceRouter> m_router;
    QSslServer m_server;
    QThreadPool m_pool;
    int m_connections = 0;
};
