#pragma once
// One HTTP/1.1 request as the service's parser gives it, and one answer as the router
// makes it.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

#include <cstdint>

struct HttpRequest {
    QByteArray method;
    QString path; // percent-decoded
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case, values trimmed
    QByteArray body;
    QString peer; // the client's address
    bool keepAlive = true;

    // The value of the first header of that name (any case), or empty.
    QByteArray header(const char* name) const;
};

struct HttpResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // The answer is sent no sooner than this (a failed logon's delay).
    int delayMs = 0;
    // The connection closes after the answer.
    bool close = false;

    // The bytes on the wire; keepAlive false adds "Connection: close".
    QByteArray serialized(bool keepAlive) const;
};

// An answer that refuses a request: {"error": text, "hresult": hr}.
HttpResponse JsonError(int status, const QString& text, std::int32_t hr);

// The reason phrase of a status.
QByteArray HttpStatusText(int status);
