// Any bytes as what a client sends over one connection: they are parsed into requests,
// whole or in pieces, and each request is routed onto a stand-in server, with the token of
// a logged-on administrator when it brings none of its own (but for the session's own path).
// Nothing may crash, and every answer must be a status the wire format allows with a JSON body (or
// none for 204).

#include "server/embedded/EmbeddedServer.h"
#include "server/service/HttpParser.h"
#include "server/service/ServiceRouter.h"
#include "server/wire/WireFormat.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

struct Service {
    Service() {
        qputenv("TRELLIS_SERVER_RESTART_MS", "0");
        server = std::make_shared<EmbeddedServer>(folder.path());
        router = std::make_unique<ServiceRouter>(server, std::chrono::seconds(3600));
        HttpRequest logOn;
        logOn.method = "POST";
        logOn.path = QString::fromLatin1(wire::kSession);
        logOn.body = R"({"user": "admin", "password": "trellis", "domain": ""})";
        const HttpResponse answer = router->route(logOn);
        token =
            QJsonDocument::fromJson(answer.body).object().value(wire::kToken).toString().toLatin1();
        if (answer.status != 201 || token.isEmpty()) {
            std::fprintf(stderr, "fuzz check failed: the administrator could not log on\n");
            std::abort();
        }
    }
    QTemporaryDir folder;
    std::shared_ptr<EmbeddedServer> server;
    std::unique_ptr<ServiceRouter> router;
    QByteArray token;
};

Service& service() {
    static int argc = 1;
    static char name[] = "fuzz_requests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static Service instance;
    return instance;
}

void check(const HttpResponse& response) {
    const bool known = response.status == 200 || response.status == 201 || response.status == 204 ||
                       (response.status >= 400 && response.status <= 422) || response.status == 500;
    const QJsonDocument body = QJsonDocument::fromJson(response.body);
    const bool shaped = response.status == 204 ? response.body.isEmpty() : body.isObject();
    const bool explained = response.status < 400 || body.object().value(wire::kError).isString();
    if (!known || !shaped || !explained) {
        std::fprintf(stderr, "fuzz check failed: answer %d with body %s\n", response.status,
                     response.body.left(200).constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Service& own = service();
    if (size == 0)
        return 0;
    // The first byte chooses how the rest arrives: whole, or in pieces of that many bytes.
    const std::size_t piece = data[0] == 0 ? size : data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    HttpRequestParser parser(wire::kMaxHeaderBytes, 64 * 1024);
    for (qsizetype at = 0; at < bytes.size(); at += static_cast<qsizetype>(piece)) {
        parser.feed(bytes.mid(at, static_cast<qsizetype>(piece)));
        for (;;) {
            auto next = parser.next();
            if (std::holds_alternative<HttpFailure>(next))
                return 0;
            auto* request = std::get_if<HttpRequest>(&next);
            if (!request)
                break;
            request->peer = QStringLiteral("127.0.0.1");
            // The shared session is never logged off: a logoff brings its own token.
            if (request->header(wire::kAuthorization).isEmpty() &&
                request->path != QLatin1String(wire::kSession))
                request->headers.append({"authorization", wire::kBearer + own.token});
            check(own.router->route(*request));
        }
    }
    return 0;
}
