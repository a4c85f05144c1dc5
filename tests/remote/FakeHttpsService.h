#pragma once
// A small HTTPS service for the client's tests: TLS 1.3 on 127.0.0.2 with a key and
// certificate made by the openssl command in a temporary folder, answering each request as
// the test's handler says (an answer, a cut connection or silence) and recording it.

#include <QJsonObject>
#include <QMap>
#include <QSslServer>
#include <QTemporaryDir>

#include <functional>
#include <vector>

class QSslSocket;

class FakeHttpsService : public QObject {
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QByteArray query;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
        QByteArray raw; // everything received, headers included
        QJsonObject json() const;
    };
    struct Response {
        enum class Act { Answer, Cut, Silent };
        Response(int status = 200, QJsonObject body = {}, QByteArray etag = {})
            : status(status), body(std::move(body)), etag(std::move(etag)) {}
        // The connection is closed instead of an answer, or left without one.
        static Response cut() { return withAct(Act::Cut); }
        static Response silent() { return withAct(Act::Silent); }

        int status;
        QJsonObject body;
        QByteArray etag;
        Act act = Act::Answer;

    private:
        static Response withAct(Act act) {
            Response response;
            response.act = act;
            return response;
        }
    };
    using Handler = std::function<Response(const Request&)>;

    // Listens with a certificate of its own; false from listening() when it could not.
    FakeHttpsService();
    bool listening() const { return m_server.isListening(); }
    // "127.0.0.2:PORT", a host name that is not this machine's.
    std::string host() const;
    // The certificate's SHA-256 fingerprint as the openssl command prints it.
    const QString& fingerprint() const { return m_fingerprint; }

    // From the next connection on, shows a certificate made anew; open connections end.
    void useNewCertificate();

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    const std::vector<Request>& requests() const { return m_requests; }
    // The requests to one path.
    std::vector<Request> requestsTo(const QByteArray& method, const QByteArray& path) const;

private:
    void serve(QSslSocket* socket);

    QTemporaryDir m_folder;
    QString m_fingerprint;
    Handler m_handler;
    std::vector<Request> m_requests;
    QMap<QSslSocket*, QByteArray> m_buffers;
    // Last: its sockets go before what they use.
    QSslServer m_server;
};
