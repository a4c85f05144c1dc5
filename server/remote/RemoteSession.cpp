#include "RemoteSession.h"

#include "KnownHosts.h"
#include "platform/Prompter.h"
#include "server/wire/WireFormat.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QUuid>

#include <fmt/format.h>

namespace {

// The channel lights of one tick share one answer.
constexpr qint64 kStatusCacheMs = 250;

// The status of a failure the service's answer does not name.
HRESULT statusOfHttp(int http) {
    switch (http) {
    case 401:
    case 403:
        return E_ACCESSDENIED;
    case 404:
        return E_INVALIDARG;
    case 413:
        return HRESULT_FILE_TOO_LARGE;
    case 422:
        return HRESULT_INVALID_DATA;
    default:
        return E_FAIL;
    }
}

Variant variantOf(const QJsonValue& value) {
    if (value.isBool())
        return Variant(value.toBool());
    if (value.isDouble()) {
        const double number = value.toDouble();
        const auto whole = static_cast<std::int32_t>(number);
        return whole == number ? Variant(whole) : Variant(static_cast<float>(number));
    }
    return Variant(value.toString().toStdString());
}

bool isGet(const QByteArray& method) {
    return method == "GET";
}

// Shown on the thread that owns the screen, whichever thread found the loss.
void tell(const std::string& text) {
    const auto show = [text] {
        prompter().messageBox(text, "Connection Lost", MB_TOUCH_ERROR, nullptr);
    };
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread())
        show();
    else
        QMetaObject::invokeMethod(application, show, Qt::QueuedConnection);
}

} // namespace

QString RemoteAddress::key() const {
    const QString name =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return name.toLower() + QLatin1Char(':') + QString::number(port);
}

std::optional<RemoteAddress> ParseRemoteAddress(const std::string& named) {
    const QString text = QString::fromStdString(named).trimmed();
    RemoteAddress address{text, wire::kDefaultPort};
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        address.host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        port = rest.mid(1);
    } else if (text.count(QLatin1Char(':')) == 1) {
        address.host = text.section(QLatin1Char(':'), 0, 0);
        port = text.section(QLatin1Char(':'), 1);
    }
    if (!port.isEmpty() || text.endsWith(QLatin1Char(':'))) {
        bool ok = false;
        const uint number = port.toUInt(&ok);
        if (!ok || number == 0 || number > 65535)
            return std::nullopt;
        address.port = static_cast<quint16>(number);
    }
    if (address.host.isEmpty())
        return std::nullopt;
    return address;
}

RemoteSession::RemoteSession(std::string named, RemoteAddress address, RemoteOptions options)
    : m_named(std::move(named)), m_address(std::move(address)), m_options(std::move(options)),
      m_client(m_address.host, m_address.port, m_options.timeoutMs) {}

RemoteSession::~RemoteSession() {
    // Logoff at the end; one that does not arrive ends with the session's idle time-out.
    if (!loggedOn())
        return;
    HttpsRequest request;
    request.method = "DELETE";
    request.path = QString::fromLatin1(wire::kSession);
    request.headers.append({wire::kAuthorization, wire::kBearer + m_token});
    m_client.send(request);
}

bool RemoteSession::trust() {
    const HttpsReply probe = m_client.probe();
    if (probe.fingerprint.isEmpty())
        return false; // not reached: the connection is not made
    const QString host = m_address.key();
    KnownHosts known;
    const std::optional<QString> trusted = known.fingerprint(host);
    if (trusted && *trusted == probe.fingerprint) {
        m_client.pin(probe.fingerprint);
        return true;
    }
    if (trusted) {
        prompter().messageBox(
            fmt::format("The certificate of host server {} is not the one trusted before. "
                        "Nothing was sent to it.\n\nTrusted SHA-256 fingerprint:\n{}\n"
                        "Fingerprint shown now:\n{}\n\nIf the server's certificate was replaced "
                        "on purpose, remove the line of {} from {} and connect again.",
                        host.toStdString(), trusted->toStdString(), probe.fingerprint.toStdString(),
                        host.toStdString(), known.path().toStdString()),
            "Host Certificate Changed", MB_TOUCH_WARNING, nullptr);
        return false;
    }
    const int answer = prompter().messageBox(
        fmt::format("The host server {} is not known on this computer. The SHA-256 fingerprint "
                    "of its certificate is:\n{}\n\nCompare it with the fingerprint of the "
                    "server's certificate. Trust this host and connect?",
                    host.toStdString(), probe.fingerprint.toStdString()),
        "Unknown Host", MB_TOUCH_QUESTION | MB_DEFBUTTON2, nullptr);
    if (answer != IDYES)
        return false;
    QString why;
    if (!known.remember(host, probe.fingerprint, &why))
        prompter().messageBox(fmt::format("The host server {} could not be added to {}: {}\nIt "
                                          "is trusted until the program ends.",
                                          host.toStdString(), known.path().toStdString(),
                                          AsSentence(why.toStdString())),
                              "Unknown Host", MB_TOUCH_WARNING, nullptr);
    m_client.pin(probe.fingerprint);
    return true;
}

HRESULT RemoteSession::logOn(const std::string& user, const std::string& password,
                             const std::string& domain) {
    {
        std::lock_guard lock(m_mutex);
        m_token.clear();
        m_administrator = false;
    }
    HttpsRequest request;
    request.method = "POST";
    request.path = QString::fromLatin1(wire::kSession);
    request.body = QJsonDocument(QJsonObject{{"user", QString::fromStdString(user)},
                                             {"password", QString::fromStdString(password)},
                                             {"domain", QString::fromStdString(domain)}})
                       .toJson(QJsonDocument::Compact);
    // The password crosses once: a logon whose reply is lost is not sent again.
    const HttpsReply reply = send(std::move(request), false);
    if (reply.failure == S_OK && reply.status == 401)
        return S_FALSE; // a wrong user or password
    const Answer answer = answerOf(reply);
    if (FAILED(answer.status))
        return answer.status;
    const QByteArray token = answer.json.value(QLatin1String(wire::kToken)).toString().toUtf8();
    if (token.isEmpty())
        return S_FALSE;
    std::lock_guard lock(m_mutex);
    m_token = token;
    m_administrator = answer.json.value(QLatin1String("administrator")).toBool();
    return S_OK;
}

bool RemoteSession::loggedOn() const {
    std::lock_guard lock(m_mutex);
    return !m_token.isEmpty() && m_lost == S_OK;
}

bool RemoteSession::administrator() const {
    std::lock_guard lock(m_mutex);
    return m_administrator;
}

RemoteSession::Answer RemoteSession::call(const QByteArray& method, const QString& path,
                                          const QJsonObject& body, Versioned versioned,
                                          const QUrlQuery& query) {
    HttpsRequest request;
    request.method = method;
    request.path = path;
    request.query = query;
    if (!isGet(method) && method != "DELETE")
        request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    const auto slot = static_cast<std::size_t>(versioned);
    {
        std::lock_guard lock(m_mutex);
        if (FAILED(m_lost))
            return {m_lost, {}, m_lostReason};
        request.headers.append({wire::kAuthorization, wire::kBearer + m_token});
        if (versioned != Versioned::None && !isGet(method) && !m_versions[slot].isEmpty())
            request.headers.append({wire::kIfMatch, m_versions[slot]});
    }
    if (!isGet(method))
        request.headers.append(
            {wire::kIdempotencyKey, QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1()});
    const HttpsReply reply = send(std::move(request), true);
    {
        std::lock_guard lock(m_mutex);
        if (versioned != Versioned::None && reply.failure == S_OK && reply.status < 300 &&
            !reply.etag.isEmpty())
            m_versions[slot] = reply.etag;
        // A change may take channels offline (a commit restarts them): the lights asked
        // next must come from the server, not from before the change.
        if (!isGet(method))
            m_statusAge.invalidate();
    }
    return answerOf(reply);
}

HttpsReply RemoteSession::send(HttpsRequest request, bool mayRetry) {
    HttpsReply reply = m_client.send(request);
    // A broken connection may have lost the reply only: the same request, with the same
    // idempotency key, gets the first answer again.
    if (mayRetry && reply.failure == HRESULT_CONNECTION_ABORTED)
        reply = m_client.send(request);
    return reply;
}

RemoteSession::Answer RemoteSession::answerOf(const HttpsReply& reply) {
    if (FAILED(reply.failure))
        return unreachable(reply.failure, reply.reason);
    Answer answer;
    answer.json = QJsonDocument::fromJson(reply.body).object();
    if (reply.status < 400)
        return answer;
    const QJsonValue status = answer.json.value(QLatin1String(wire::kHResult));
    answer.status = reply.status == 412 ? E_CHANGED_STATE
                    : status.isDouble() ? static_cast<HRESULT>(status.toInteger())
                                        : statusOfHttp(reply.status);
    answer.error = answer.json.value(QLatin1String(wire::kError)).toString().toStdString();
    if (answer.error.empty())
        answer.error = fmt::format("the server answered with HTTP status {}", reply.status);
    return answer;
}

RemoteSession::Answer RemoteSession::unreachable(HRESULT status, const std::string& reason) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_token.isEmpty() && m_lost == S_OK) {
            m_lost = status;
            m_lostReason = reason;
            first = true;
        }
    }
    if (first)
        tell(fmt::format("The connection to host server {} was lost: {}", m_named,
                         AsSentence(reason)));
    return {status, {}, reason};
}

HRESULT RemoteSession::channelStatus(int slot, const std::string& name, Variant& value) {
    QJsonArray channels;
    bool fresh = false;
    {
        std::lock_guard lock(m_mutex);
        fresh = m_statusAge.isValid() && m_statusAge.elapsed() < kStatusCacheMs;
        channels = m_status;
    }
    if (!fresh) {
        const Answer answer = call("GET", QString::fromLatin1(wire::kChannelStatus));
        if (FAILED(answer.status))
            return answer.status;
        channels = answer.json.value(QLatin1String("channels")).toArray();
        std::lock_guard lock(m_mutex);
        m_status = channels;
        m_statusAge.start();
    }
    if (slot < 0 || slot >= channels.size())
        return E_INVALIDARG;
    const QJsonValue found = channels.at(slot).toObject().value(QString::fromStdString(name));
    if (found.isUndefined() || found.isNull())
        return E_INVALIDARG;
    value = variantOf(found);
    return S_OK;
}
