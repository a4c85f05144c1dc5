#include "HttpMessage.h"

#include "server/wire/WireFormat.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray HttpRequest::header(const char* name) const {
    const QByteArray wanted = QByteArray(name).toLower();
    for (const auto& [key, value] : headers) {
        if (key == wanted)
            return value;
    }
    return {};
}

QByteArray HttpStatusText(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 412:
        return "Precondition Failed";
    case 413:
        return "Content Too Large";
    case 422:
        return "Unprocessable Content";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Status";
    }
}

QByteArray HttpResponse::serialized(bool keepAlive) const {
    QByteArray out =
        "HTTP/1.1 " + QByteArray::number(status) + ' ' + HttpStatusText(status) + "\r\n";
    for (const auto& [name, value] : headers)
        out += name + ": " + value + "\r\n";
    if (status != 204) {
        if (!body.isEmpty())
            out += "Content-Type: application/json\r\n";
        out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    }
    out += "Cache-Control: no-store\r\n";
    if (!keepAlive || close)
        out += "Connection: close\r\n";
    out += "\r\n";
    if (status != 204)
        out += body;
    return out;
}

HttpResponse JsonError(int status, const QString& text, std::int32_t hr) {
    HttpResponse response;
    response.status = status;
    response.body = QJsonDocument(QJsonObject{{QLatin1String(wire::kError), text},
                                              {QLatin1String(wire::kHResult), hr}})
                        .toJson(QJsonDocument::Compact);
    if (status == 401)
        response.headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Bearer")));
    return response;
}
