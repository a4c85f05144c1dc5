#include "HttpParser.h"

#include <QUrl>

namespace {

// RFC 9110 token characters, for methods and header names.
bool isToken(const QByteArray& text) {
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain && !QByteArray("!#$%&'*+-.^_`|~").contains(c))
            return false;
    }
    return true;
}

bool hasControl(const QByteArray& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7f)
            return true;
    }
    return false;
}

HttpFailure badRequest(const QString& reason) {
    return {400, reason};
}

} // namespace

HttpRequestParser::HttpRequestParser(qint64 maxHeaderBytes, qint64 maxBodyBytes)
    : m_maxHeaderBytes(maxHeaderBytes), m_maxBodyBytes(maxBodyBytes) {}

void HttpRequestParser::feed(const QByteArray& bytes) {
    if (!m_failure)
        m_buffer += bytes;
}

std::variant<std::monostate, HttpRequest, HttpFailure> HttpRequestParser::next() {
    if (m_failure)
        return *m_failure;
    if (!m_head) {
        // Empty lines before a request line are ignored, as RFC 9112 asks.
        while (m_buffer.startsWith("\r\n"))
            m_buffer.remove(0, 2);
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_buffer.size() > m_maxHeaderBytes)
                m_failure = HttpFailure{431, QStringLiteral("the request's headers are too large")};
            return m_failure ? std::variant<std::monostate, HttpRequest, HttpFailure>(*m_failure)
                             : std::monostate{};
        }
        if (end + 4 > m_maxHeaderBytes) {
            m_failure = HttpFailure{431, QStringLiteral("the request's headers are too large")};
            return *m_failure;
        }
        auto head = parseHead(end, m_bodyLength);
        if (auto* failure = std::get_if<HttpFailure>(&head)) {
            m_failure = *failure;
            return *m_failure;
        }
        m_head = std::move(std::get<HttpRequest>(head));
        m_buffer.remove(0, end + 4);
    }
    if (m_buffer.size() < m_bodyLength)
        return std::monostate{};
    HttpRequest request = std::move(*m_head);
    m_head.reset();
    request.body = m_buffer.left(m_bodyLength);
    m_buffer.remove(0, m_bodyLength);
    return request;
}

std::variant<HttpRequest, HttpFailure> HttpRequestParser::parseHead(qsizetype headerSize,
                                                                    qint64& bodyLength) {
    const QList<QByteArray> lines = m_buffer.left(headerSize).split('\n');
    // Every line ends in CR LF; the split leaves the CR.
    QList<QByteArray> trimmed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        if (!last && !lines[i].endsWith('\r'))
            return badRequest(QStringLiteral("a line does not end in CR LF"));
        trimmed.append(last ? lines[i] : lines[i].chopped(1));
    }

    const QList<QByteArray> parts = trimmed.first().split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/') ||
        hasControl(parts[1]))
        return badRequest(QStringLiteral("the request line is malformed"));
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0") {
        if (parts[2].startsWith("HTTP/"))
            return HttpFailure{505, QStringLiteral("only HTTP/1.1 is served")};
        return badRequest(QStringLiteral("the request line is malformed"));
    }

    HttpRequest request;
    request.method = parts[0];
    const qsizetype question = parts[1].indexOf('?');
    request.path =
        QUrl::fromPercentEncoding(parts[1].left(question < 0 ? parts[1].size() : question));
    if (question >= 0)
        request.query = QUrlQuery(QString::fromUtf8(parts[1].mid(question + 1)));
    bool keepAlive = parts[2] == "HTTP/1.1";

    std::optional<qint64> length;
    for (qsizetype i = 1; i < trimmed.size(); ++i) {
        const QByteArray& line = trimmed[i];
        const qsizetype colon = line.indexOf(':');
        // No folded lines, and no space between a name and its colon.
        if (colon <= 0 || !isToken(line.left(colon)))
            return badRequest(QStringLiteral("a header line is malformed"));
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (hasControl(value))
            return badRequest(QStringLiteral("a header value holds a control character"));
        if (name == "transfer-encoding") {
            if (value.toLower().contains("chunked"))
                return HttpFailure{411, QStringLiteral("a chunked body is not taken; send "
                                                       "Content-Length")};
            return HttpFailure{501, QStringLiteral("the transfer encoding is not supported")};
        }
        if (name == "content-length") {
            bool ok = value.size() <= 18 && !value.isEmpty();
            for (const char c : value)
                ok = ok && c >= '0' && c <= '9';
            const qint64 parsed = ok ? value.toLongLong(&ok) : 0;
            if (!ok || (length && *length != parsed))
                return badRequest(QStringLiteral("the Content-Length header is malformed"));
            length = parsed;
        }
        if (name == "connection") {
            for (const QByteArray& option : value.toLower().split(',')) {
                if (option.trimmed() == "close")
                    keepAlive = false;
                else if (option.trimmed() == "keep-alive")
                    keepAlive = true;
            }
        }
        request.headers.append({name, value});
    }
    if (length && *length > m_maxBodyBytes)
        return HttpFailure{
            413, QStringLiteral("the request body is larger than %1 bytes").arg(m_maxBodyBytes)};
    request.keepAlive = keepAlive;
    bodyLength = length.value_or(0);
    return request;
}
