#include "server/service/HttpParser.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 kHeaderLimit = 256;
constexpr qint64 kBodyLimit = 1000;

struct Case {
    const char* name;
    QByteArray bytes;
    int failure;      // the status refusing the bytes, 0 when they are a request
    const char* path; // the request's path, when one is expected
    const char* body;
};

// What the parser makes of the bytes fed one at a time: the first request or the failure.
Case parsed(const QByteArray& bytes, HttpRequest& request) {
    HttpRequestParser parser(kHeaderLimit, kBodyLimit);
    for (const char byte : bytes) {
        parser.feed(QByteArray(1, byte));
        auto next = parser.next();
        if (auto* failure = std::get_if<HttpFailure>(&next))
            return {"", {}, failure->status, nullptr, nullptr};
        if (auto* whole = std::get_if<HttpRequest>(&next)) {
            request = *whole;
            return {"", {}, 0, nullptr, nullptr};
        }
    }
    return {"", {}, -1, nullptr, nullptr};
}

TEST(HttpParserTest, TakesWellFormedRequestsAndRefusesTheRest) {
    const Case cases[] = {
        {"plain GET", "GET /v1/configuration HTTP/1.1\r\nHost: x\r\n\r\n", 0, "/v1/configuration",
         ""},
        {"body by length", "PUT /v1/x HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", 0, "/v1/x",
         "hello"},
        {"percent-encoded path", "GET /v1/a%20b?group=A%5CB HTTP/1.1\r\n\r\n", 0, "/v1/a b", ""},
        {"chunked body", "POST /v1/x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 411, nullptr,
         nullptr},
        {"other encoding", "POST /v1/x HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n", 501, nullptr,
         nullptr},
        {"body too large, refused from its header",
         "POST /v1/x HTTP/1.1\r\nContent-Length: 1001\r\n\r\n", 413, nullptr, nullptr},
        {"two lengths", "POST /v1/x HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n",
         400, nullptr, nullptr},
        {"signed length", "POST /v1/x HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400, nullptr,
         nullptr},
        {"headers too large", "GET / HTTP/1.1\r\nX: " + QByteArray(300, 'a'), 431, nullptr,
         nullptr},
        {"absolute target", "GET http://h/v1 HTTP/1.1\r\n\r\n", 400, nullptr, nullptr},
        {"space before colon", "GET / HTTP/1.1\r\nHost : x\r\n\r\n", 400, nullptr, nullptr},
        {"folded header", "GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n", 400, nullptr, nullptr},
        {"bare LF inside", "GET / HTTP/1.1\nA: b\r\n\r\n", 400, nullptr, nullptr},
        {"other version", "GET / HTTP/2.0\r\n\r\n", 505, nullptr, nullptr},
        {"no version", "GET /\r\n\r\n", 400, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRequest request;
        const Case result = parsed(c.bytes, request);
        EXPECT_EQ(result.failure, c.failure);
        if (c.failure == 0 && result.failure == 0) {
            EXPECT_EQ(request.path, QString::fromLatin1(c.path));
            EXPECT_EQ(request.body, QByteArray(c.body));
        }
    }
}

TEST(HttpParserTest, PipelinedRequestsComeOutInOrderWithTheirConnectionOptions) {
    HttpRequestParser parser(kHeaderLimit, kBodyLimit);
    parser.feed("POST /a HTTP/1.1\r\nContent-Length: 2\r\n\r\nhiGET /b?group=x%20y HTTP/1.1\r\n"
                "Connection: close\r\n\r\nGET /c HTTP/1.0\r\n\r\n");
    auto first = parser.next();
    auto second = parser.next();
    auto third = parser.next();
    ASSERT_TRUE(std::holds_alternative<HttpRequest>(first));
    ASSERT_TRUE(std::holds_alternative<HttpRequest>(second));
    ASSERT_TRUE(std::holds_alternative<HttpRequest>(third));
    EXPECT_EQ(std::get<HttpRequest>(first).body, "hi");
    EXPECT_TRUE(std::get<HttpRequest>(first).keepAlive);
    EXPECT_EQ(std::get<HttpRequest>(second).query.queryItemValue("group", QUrl::FullyDecoded),
              "x y");
    EXPECT_FALSE(std::get<HttpRequest>(second).keepAlive);
    EXPECT_FALSE(std::get<HttpRequest>(third).keepAlive);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(parser.next()));
}

} // namespace
