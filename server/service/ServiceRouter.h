#pragma once
// Routes one parsed request onto the embedded server: checks the session, the method and
// the body's fields, runs the operation with the session's rights and answers with JSON.
// Every failure is an answer ({"error", "hresult"} with a fitting status), never a throw.
// Safe to call from several threads at once.

#include "HttpMessage.h"
#include "IdempotentAnswers.h"
#include "LogonThrottle.h"
#include "Sessions.h"

#include <chrono>
#include <memory>
#include <optional>
#include <variant>

class EmbeddedServer;

class ServiceRouter {
public:
    ServiceRouter(std::shared_ptr<EmbeddedServer> server, std::chrono::seconds sessionIdle);

    HttpResponse route(const HttpRequest& request);

    // How long a request must wait before it is routed: a password check from an address
    // whose checks failed waits its turn; other requests never wait.
    std::chrono::milliseconds admissionDelay(const HttpRequest& request);

    // Whether a request whose headers are read may send its body of that length: a body is
    // read only for a valid session, or a logon of reasonable size. The refusal otherwise.
    std::optional<HttpResponse> refuseBody(const HttpRequest& head, qint64 length);

private:
    std::optional<ServerSession> sessionOf(const HttpRequest& request);
    HttpResponse dispatch(const HttpRequest& request);
    HttpResponse logOn(const HttpRequest& request);
    HttpResponse authorised(const HttpRequest& request, const ServerSession& session);
    // Whether the body's {user, password, domain} name an account; a failure is logged as
    // what, and holds the answer back by the address's delay. A malformed body is answered.
    std::variant<bool, HttpResponse> checkPassword(const HttpRequest& request, const char* what,
                                                   ServerSession& account, int& delayMs);

    HttpResponse configuration(const HttpRequest& request, const ServerSession& session);
    HttpResponse channelStatus();
    HttpResponse permissions(const HttpRequest& request, const ServerSession& session, int channel);
    HttpResponse protocolUsers(const HttpRequest& request, const ServerSession& session,
                               int channel);
    HttpResponse remoteHosts(const HttpRequest& request, const ServerSession& session);
    HttpResponse history(const HttpRequest& request);

    std::shared_ptr<EmbeddedServer> m_server;
    Sessions m_sessions;
    LogonThrottle m_throttle;
    IdempotentAnswers m_answers;
};
