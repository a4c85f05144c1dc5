#pragma once
// Turns the bytes of one connection into HTTP/1.1 requests: a request line, headers up to
// a limit, and a body of Content-Length bytes. A chunked or otherwise encoded body is
// refused, and a body above the limit is refused as soon as its length is known, before
// any of it is kept. After a failure the connection answers it and closes.

#include "HttpMessage.h"

#include <optional>
#include <variant>

// Why the bytes are not a request we take, and the status to answer.
struct HttpFailure {
    int status;
    QString reason;
};

class HttpRequestParser {
public:
    HttpRequestParser(qint64 maxHeaderBytes, qint64 maxBodyBytes);

    // More bytes from the connection.
    void feed(const QByteArray& bytes);

    // The next whole request, or nothing yet, or the failure that ends the connection (the
    // same one again on every later call).
    std::variant<std::monostate, HttpRequest, HttpFailure> next();

    // The request whose headers are read while its body is still awaited, with the body's
    // length; null when there is none.
    const HttpRequest* awaitingBody(qint64& length) const {
        length = m_bodyLength;
        return m_head ? &*m_head : nullptr;
    }

    // Bytes taken but not yet part of a whole request.
    qint64 pending() const { return m_buffer.size(); }

private:
    // Reads the request line and headers of m_buffer's first headerSize bytes.
    std::variant<HttpRequest, HttpFailure> parseHead(qsizetype headerSize, qint64& bodyLength);

    qint64 m_maxHeaderBytes;
    qint64 m_maxBodyBytes;
    QByteArray m_buffer;
    std::optional<HttpRequest> m_head; // headers read, body awaited
    qint64 m_bodyLength = 0;
    std::optional<HttpFailure> m_failure;
};
