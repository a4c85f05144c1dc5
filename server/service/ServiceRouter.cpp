#include "ServiceRouter.h"

#include "JsonFields.h"
#include "server/ILog.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/embedded/LoggableText.h"
#include "server/embedded/RemoteHostsFile.h"
#include "server/embedded/Timecode.h"
#include "server/wire/WireFormat.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <fmt/format.h>

#include <limits>

namespace {

using Headers = QList<QPair<QByteArray, QByteArray>>;

constexpr qsizetype kMaxIdempotencyKey = 200;
// A logon's body is read before anyone is known: it is kept small.
constexpr qint64 kMaxLogonBody = 64 * 1024;

HttpResponse answer(int status, const QJsonObject& body, const Headers& headers = {}) {
    return HttpResponse{status, headers, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

HttpResponse noContent(const Headers& headers = {}) {
    return HttpResponse{204, headers, {}};
}

QJsonObject errorBody(const QString& text, HRESULT hr) {
    return {{QLatin1String(wire::kError), text}, {QLatin1String(wire::kHResult), hr}};
}

HttpResponse failure(int status, const QString& text, HRESULT hr) {
    return JsonError(status, text, hr);
}

HttpResponse unauthorised() {
    return failure(401, QStringLiteral("the session is not valid or has expired: log on again"),
                   E_ACCESSDENIED);
}

HttpResponse badRequestResponse(const QString& text) {
    return failure(400, text, E_INVALIDARG);
}

HttpResponse wrongMethod(const QByteArray& allowed) {
    HttpResponse response =
        failure(405, QStringLiteral("the method is not allowed here"), E_NOTIMPL);
    response.headers.append(qMakePair(QByteArray("Allow"), allowed));
    return response;
}

// The status that answers an operation's failure.
int statusOf(HRESULT hr) {
    switch (hr) {
    case E_ACCESSDENIED:
        return 403;
    case E_CHANGED_STATE:
        return 412;
    case HRESULT_INVALID_DATA:
        return 422;
    case E_INVALIDARG:
    case DISP_E_TYPEMISMATCH:
        return 400;
    default:
        return 500;
    }
}

HttpResponse failed(HRESULT hr, const std::string& reason = {}) {
    const QString text = QString::fromStdString(reason.empty() ? ComErrorText(hr) : reason);
    return failure(statusOf(hr), text, hr);
}

Headers versionHeader(const QString& version) {
    return {{wire::kETag, '"' + version.toLatin1() + '"'}};
}

// The version an If-Match names; none when the change is unconditional.
std::optional<QString> expectedVersion(const HttpRequest& request) {
    QByteArray value = request.header(wire::kIfMatch).trimmed();
    if (value.isEmpty() || value == "*")
        return std::nullopt;
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return QString::fromLatin1(value);
}

// N of /v1/<prefix>N<suffix>, or -1 when the path is not of that shape.
int slotOf(const QString& path, const QString& prefix, const QString& suffix) {
    if (!path.startsWith(prefix) || !path.endsWith(suffix) ||
        path.size() <= prefix.size() + suffix.size())
        return -1;
    const QString digits = path.mid(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (digits.size() > 3)
        return -1;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    return digits.toInt();
}

QJsonValue toJson(const Variant& value) {
    switch (value.type()) {
    case Variant::Type::Bool: {
        bool flag = false;
        value.toBool(flag);
        return flag;
    }
    case Variant::Type::Int32: {
        std::int32_t number = 0;
        value.toInt32(number);
        return number;
    }
    case Variant::Type::Float: {
        float number = 0;
        value.toFloat(number);
        return static_cast<double>(number);
    }
    case Variant::Type::String:
        return QString::fromStdString(value.toText());
    case Variant::Type::Empty:
        break;
    }
    return QJsonValue::Null;
}

bool is(const HttpRequest& request, const char* method) {
    return request.method == method;
}

} // namespace

ServiceRouter::ServiceRouter(std::shared_ptr<EmbeddedServer> server,
                             std::chrono::seconds sessionIdle)
    : m_server(std::move(server)), m_sessions(sessionIdle) {}

std::chrono::milliseconds ServiceRouter::admissionDelay(const HttpRequest& request) {
    const bool checksPassword =
        is(request, "POST") && (request.path == QLatin1String(wire::kSession) ||
                                request.path == QLatin1String(wire::kAccountCheck));
    return checksPassword ? m_throttle.admit(request.peer) : std::chrono::milliseconds(0);
}

std::optional<HttpResponse> ServiceRouter::refuseBody(const HttpRequest& head, qint64 length) {
    if (head.path == QLatin1String(wire::kSession) && is(head, "POST"))
        return length > kMaxLogonBody
                   ? std::optional(failure(413, QStringLiteral("the logon is too large"),
                                           HRESULT_FILE_TOO_LARGE))
                   : std::nullopt;
    if (sessionOf(head))
        return std::nullopt;
    return unauthorised();
}

std::optional<ServerSession> ServiceRouter::sessionOf(const HttpRequest& request) {
    const QByteArray authorization = request.header(wire::kAuthorization);
    const QByteArray bearer = QByteArray(wire::kBearer);
    if (!authorization.startsWith(bearer))
        return std::nullopt;
    return m_sessions.find(authorization.mid(bearer.size()).trimmed());
}

HttpResponse ServiceRouter::route(const HttpRequest& request) {
    try {
        return dispatch(request);
    } catch (const std::exception& error) {
        m_server->log(E_FAIL, LOG_KIND_REPORT, "service", 0, 0,
                      fmt::format("A request to {} failed: {}",
                                  LoggableText(request.path.toStdString()), error.what()));
    } catch (...) {
        m_server->log(E_FAIL, LOG_KIND_REPORT, "service", 0, 0,
                      "A request to " + LoggableText(request.path.toStdString()) + " failed");
    }
    return failure(500, QStringLiteral("the server failed to answer the request"), E_FAIL);
}

HttpResponse ServiceRouter::dispatch(const HttpRequest& request) {
    if (request.path == QLatin1String(wire::kSession) && is(request, "POST"))
        return logOn(request);
    const std::optional<ServerSession> session = sessionOf(request);
    if (!session)
        return unauthorised();
    if (request.path == QLatin1String(wire::kSession)) {
        if (!is(request, "DELETE"))
            return wrongMethod("POST, DELETE");
        m_sessions.close(
            request.header(wire::kAuthorization).mid(qstrlen(wire::kBearer)).trimmed());
        return noContent();
    }
    const QByteArray key = request.header(wire::kIdempotencyKey);
    if (key.isEmpty() || is(request, "GET"))
        return authorised(request, *session);
    if (key.size() > kMaxIdempotencyKey)
        return badRequestResponse(QStringLiteral("the Idempotency-Key is longer than %1 characters")
                                      .arg(kMaxIdempotencyKey));
    // The same key from another account, or to another operation, is another change.
    const QByteArray scope = QByteArray::fromStdString(session->user + '\\' + session->domain) +
                             ' ' + request.method + ' ' + request.path.toUtf8() + ' ' + key;
    return m_answers.run(scope, [&] { return authorised(request, *session); });
}

std::variant<bool, HttpResponse> ServiceRouter::checkPassword(const HttpRequest& request,
                                                              const char* what,
                                                              ServerSession& account,
                                                              int& delayMs) {
    JsonFields fields(request.body);
    account.user = fields.text("user").toStdString();
    const std::string password = fields.text("password").toStdString();
    account.domain = fields.text("domain").toStdString();
    if (fields.problem())
        return badRequestResponse(*fields.problem());
    if (m_server->verifyAccount(account.user, password, account.domain)) {
        m_throttle.succeeded(request.peer);
        return true;
    }
    delayMs = static_cast<int>(m_throttle.failed(request.peer).count());
    m_server->log(E_ACCESSDENIED, LOG_KIND_REPORT, "logon", 0, 0,
                  fmt::format("{} refused for user '{}' from {}", what, LoggableText(account.user),
                              request.peer.toStdString()));
    return false;
}

HttpResponse ServiceRouter::logOn(const HttpRequest& request) {
    ServerSession session;
    int delayMs = 0;
    const auto checked = checkPassword(request, "Log on", session, delayMs);
    if (const auto* refused = std::get_if<HttpResponse>(&checked))
        return *refused;
    if (!std::get<bool>(checked)) {
        m_server->audit({.event = AuditEvent::kLogon,
                         .outcome = AuditEvent::kRefused,
                         .user = LoggableText(session.user),
                         .address = request.peer.toStdString()});
        HttpResponse response =
            failure(401, QStringLiteral("the user name or password is not right"), E_ACCESSDENIED);
        response.delayMs = delayMs;
        return response;
    }
    session.authorized = m_server->isAdministrator(session.user, session.domain);
    session.address = request.peer.toStdString();
    const QByteArray token = m_sessions.open(session);
    m_server->audit({.event = AuditEvent::kLogon,
                     .outcome = AuditEvent::kAccepted,
                     .user = session.user,
                     .address = session.address,
                     .detail = session.authorized ? "" : "read only"});
    m_server->log(S_OK, LOG_KIND_REPORT, "logon", 0, 0,
                  fmt::format("User '{}' logged on from {}{}", LoggableText(session.user),
                              request.peer.toStdString(),
                              session.authorized ? "" : " (read only)"));
    return answer(201, {{QLatin1String(wire::kToken), QString::fromLatin1(token)},
                        {QStringLiteral("user"), QString::fromStdString(session.user)},
                        {QStringLiteral("domain"), QString::fromStdString(session.domain)},
                        {QStringLiteral("administrator"), session.authorized}});
}

HttpResponse ServiceRouter::authorised(const HttpRequest& request, const ServerSession& session) {
    const QString& path = request.path;
    if (path == QLatin1String(wire::kConfiguration))
        return configuration(request, session);
    if (path == QLatin1String(wire::kChannelStatus))
        return is(request, "GET") ? channelStatus() : wrongMethod("GET");
    if (path == QLatin1String(wire::kRemoteHosts))
        return remoteHosts(request, session);
    if (const int channel = slotOf(path, QLatin1String(wire::kChannelsPrefix),
                                   QLatin1String(wire::kPermissionsSuffix));
        channel >= 0)
        return permissions(request, session, channel);
    if (path == QLatin1String(wire::kHistory) ||
        path.startsWith(QLatin1String(wire::kHistory) + QLatin1Char('/')))
        return is(request, "GET") ? history(request) : wrongMethod("GET");
    if (path == QLatin1String(wire::kProtocolUsers))
        return protocolUsers(request, session, -1);
    if (const int channel =
            slotOf(path, QLatin1String(wire::kProtocolUsers) + QLatin1Char('/'), {});
        channel >= 0)
        return protocolUsers(request, session, channel);

    if (path == QLatin1String(wire::kSessionGroup)) {
        if (!is(request, "GET"))
            return wrongMethod("GET");
        const QString group =
            request.query.queryItemValue(QStringLiteral("group"), QUrl::FullyDecoded);
        if (group.isEmpty())
            return badRequestResponse(QStringLiteral("the query names no group"));
        return answer(
            200, {{QStringLiteral("member"), m_server->isMember(session, group.toStdString())}});
    }
    if (path == QLatin1String(wire::kDefaults)) {
        if (!is(request, "GET"))
            return wrongMethod("GET");
        const QString standard =
            request.query.queryItemValue(QStringLiteral("referenceStandard"), QUrl::FullyDecoded);
        if (standard.isEmpty())
            return badRequestResponse(QStringLiteral("the query names no reference standard"));
        std::string text;
        std::string reason;
        const HRESULT hr = m_server->defaultConfiguration(standard.toStdString(), text, &reason);
        if (hr == E_INVALIDARG)
            return failure(404, QString::fromStdString(reason), hr);
        if (FAILED(hr))
            return failed(hr, reason);
        return answer(200,
                      {{QLatin1String(wire::kConfigurationField), QString::fromStdString(text)}});
    }

    // The rest take a JSON body and are all POST.
    const char* const posts[] = {wire::kValidate, wire::kAttribute, wire::kLog, wire::kAccountCheck,
                                 wire::kTimecode};
    if (std::none_of(std::begin(posts), std::end(posts),
                     [&](const char* known) { return path == QLatin1String(known); }))
        return failure(404, QStringLiteral("there is no such resource"), E_INVALIDARG);
    if (!is(request, "POST"))
        return wrongMethod("POST");
    if (path == QLatin1String(wire::kAccountCheck)) {
        ServerSession account;
        int delayMs = 0;
        const auto checked = checkPassword(request, "Account check", account, delayMs);
        if (const auto* refused = std::get_if<HttpResponse>(&checked))
            return *refused;
        HttpResponse response = answer(200, {{QStringLiteral("valid"), std::get<bool>(checked)}});
        response.delayMs = delayMs;
        return response;
    }
    JsonFields fields(request.body);
    if (path == QLatin1String(wire::kValidate)) {
        const std::string text = fields.text(wire::kConfigurationField).toStdString();
        if (fields.problem())
            return badRequestResponse(*fields.problem());
        std::string reason;
        const bool usable = IsUsableConfiguration(text, reason);
        return answer(
            200, {{QStringLiteral("usable"), usable},
                  {QStringLiteral("reason"), usable ? QString() : QString::fromStdString(reason)}});
    }
    if (path == QLatin1String(wire::kAttribute)) {
        const std::string element = fields.text("element").toStdString();
        const std::string attribute = fields.text("attribute").toStdString();
        const std::string value = fields.text("value").toStdString();
        fields.flag("flag");
        if (fields.problem())
            return badRequestResponse(*fields.problem());
        std::string reason;
        const HRESULT hr = m_server->attributeChange(session, element, attribute, value, &reason);
        return FAILED(hr) ? failed(hr, reason) : noContent();
    }
    if (path == QLatin1String(wire::kLog)) {
        const auto status = fields.number("status", std::numeric_limits<std::int32_t>::min(),
                                          std::numeric_limits<std::uint32_t>::max());
        const auto kind = fields.number("kind", std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max());
        const std::string file = fields.text("file").toStdString();
        const auto line = fields.number("line", std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max());
        const auto elapsed =
            fields.number("elapsedMs", 0, std::numeric_limits<std::uint32_t>::max());
        const std::string text = fields.text("text").toStdString();
        if (fields.problem())
            return badRequestResponse(*fields.problem());
        const HRESULT hr = m_server->log(static_cast<HRESULT>(static_cast<std::uint32_t>(status)),
                                         static_cast<int>(kind), file, static_cast<int>(line),
                                         static_cast<std::uint32_t>(elapsed), text);
        return FAILED(hr) ? failed(hr) : noContent();
    }
    // The timecode.
    const std::string standard = fields.text("referenceStandard").toStdString();
    const bool flag = fields.flag("flag");
    const std::string text = fields.text("text").toStdString();
    if (fields.problem())
        return badRequestResponse(*fields.problem());
    EmbeddedTimecode timecode;
    std::string normalised;
    HRESULT hr = timecode.SetStandard(standard);
    if (SUCCEEDED(hr))
        hr = timecode.SetFlag(flag);
    if (SUCCEEDED(hr))
        hr = timecode.SetText(text);
    if (SUCCEEDED(hr))
        hr = timecode.GetText(normalised);
    if (FAILED(hr))
        return failed(hr);
    return answer(200, {{QStringLiteral("text"), QString::fromStdString(normalised)}});
}

HttpResponse ServiceRouter::configuration(const HttpRequest& request,
                                          const ServerSession& session) {
    const auto current = [&](int status, const QJsonObject& extra) {
        std::string text;
        QString version;
        const HRESULT hr = m_server->configuration(text, &version);
        if (FAILED(hr))
            return failed(hr);
        QJsonObject body = extra;
        body.insert(QLatin1String(wire::kConfigurationField), QString::fromStdString(text));
        return answer(status, body, versionHeader(version));
    };
    if (is(request, "GET"))
        return current(200, {});
    if (!is(request, "PUT"))
        return wrongMethod("GET, PUT");
    JsonFields fields(request.body);
    const std::string text = fields.text(wire::kConfigurationField).toStdString();
    const std::string report = fields.optionalText("report").toStdString();
    if (fields.problem())
        return badRequestResponse(*fields.problem());
    std::string reason;
    QString version;
    std::string notice;
    const HRESULT hr = m_server->commit(session, text, &reason, expectedVersion(request), &version,
                                        report, &notice);
    if (hr == E_CHANGED_STATE)
        return current(412, errorBody(QString::fromStdString(reason), hr));
    if (FAILED(hr))
        return failed(hr, reason);
    QJsonObject body;
    if (!notice.empty())
        body.insert(QStringLiteral("notice"), QString::fromStdString(notice));
    return answer(200, body, versionHeader(version));
}

HttpResponse ServiceRouter::history(const HttpRequest& request) {
    const auto number = [&](const char* name, qint64 fallback) -> std::optional<qint64> {
        const QString text = request.query.queryItemValue(QLatin1String(name));
        if (text.isEmpty())
            return fallback;
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        return ok && value >= 0 ? std::optional(value) : std::nullopt;
    };
    if (request.path == QLatin1String(wire::kHistory)) {
        const std::optional<qint64> before = number("before", 0);
        const std::optional<qint64> count = number("count", 50);
        if (!before || !count)
            return badRequestResponse(QStringLiteral("before and count are whole numbers from 0"));
        std::vector<HistoryEntry> entries;
        const HRESULT hr = m_server->history().ListHistory(
            *before, static_cast<int>(std::min<qint64>(*count, 1000)), entries);
        if (FAILED(hr))
            return failed(hr, "the history could not be read");
        QJsonArray all;
        for (const HistoryEntry& entry : entries)
            all.append(HistoryEntryJson(entry));
        return answer(200, {{QStringLiteral("entries"), all}});
    }
    bool ok = false;
    const qint64 id = request.path.mid(qstrlen(wire::kHistory) + 1).toLongLong(&ok);
    if (!ok || id <= 0)
        return failure(404, QStringLiteral("there is no such resource"), E_INVALIDARG);
    HistoryEntry entry;
    std::string document;
    const HRESULT hr = m_server->history().GetHistoryEntry(id, entry, document);
    if (hr == HRESULT_NOT_FOUND)
        return failure(404, QStringLiteral("the history has no entry %1").arg(id), hr);
    if (FAILED(hr))
        return failed(hr, "the history could not be read");
    return answer(200,
                  {{QStringLiteral("entry"), HistoryEntryJson(entry)},
                   {QLatin1String(wire::kConfigurationField), QString::fromStdString(document)}});
}

HttpResponse ServiceRouter::channelStatus() {
    const QStringList names = ChannelStates::names();
    QJsonArray channels;
    for (int channel = 0; channel < ChannelStates::kChannels; ++channel) {
        QJsonObject statuses;
        for (const QString& name : names) {
            Variant value;
            const HRESULT hr = m_server->channelStatus(channel, name.toStdString(), value);
            if (FAILED(hr))
                return failed(hr);
            statuses.insert(name, toJson(value));
        }
        channels.append(statuses);
    }
    return answer(200, {{QStringLiteral("channels"), channels}});
}

HttpResponse ServiceRouter::permissions(const HttpRequest& request, const ServerSession& session,
                                        int channel) {
    if (channel >= ChannelStates::kChannels)
        return failure(404, QStringLiteral("there is no channel slot %1").arg(channel),
                       E_INVALIDARG);
    if (is(request, "GET")) {
        QStringList accounts;
        QStringList allowed;
        const HRESULT hr = m_server->channelPermissions(channel, accounts, allowed);
        if (FAILED(hr))
            return failed(hr);
        return answer(200, {{QStringLiteral("accounts"), QJsonArray::fromStringList(accounts)},
                            {QStringLiteral("allowed"), QJsonArray::fromStringList(allowed)}});
    }
    if (!is(request, "PUT"))
        return wrongMethod("GET, PUT");
    JsonFields fields(request.body);
    const QStringList allowed = fields.texts("allowed");
    if (fields.problem())
        return badRequestResponse(*fields.problem());
    const HRESULT hr = m_server->setChannelPermissions(session, channel, allowed);
    return FAILED(hr) ? failed(hr) : noContent();
}

HttpResponse ServiceRouter::protocolUsers(const HttpRequest& request, const ServerSession& session,
                                          int channel) {
    if (channel < 0) {
        if (!is(request, "GET"))
            return wrongMethod("GET");
        QString version;
        const QJsonArray channels = m_server->protocolUsers(session, version);
        return answer(200, {{QStringLiteral("channels"), channels}}, versionHeader(version));
    }
    if (channel >= ChannelStates::kChannels)
        return failure(404, QStringLiteral("there is no channel slot %1").arg(channel),
                       E_INVALIDARG);
    if (!is(request, "PUT"))
        return wrongMethod("PUT");
    JsonFields fields(request.body);
    const QString field = fields.text("field");
    const std::string value = fields.text("value").toStdString();
    if (fields.problem())
        return badRequestResponse(*fields.problem());
    const char* const names[] = {"user", "password", "domain"};
    const auto name = std::find_if(std::begin(names), std::end(names), [&](const char* known) {
        return field == QLatin1String(known);
    });
    if (name == std::end(names))
        return badRequestResponse(
            QStringLiteral("the field \"field\" is not \"user\", \"password\" or \"domain\""));
    QString version;
    const HRESULT hr = m_server->setProtocolUser(session, channel, *name, value,
                                                 expectedVersion(request), &version);
    if (hr == E_CHANGED_STATE)
        return failed(hr, "the protocol users were changed since they were read");
    return FAILED(hr) ? failed(hr) : noContent(versionHeader(version));
}

HttpResponse ServiceRouter::remoteHosts(const HttpRequest& request, const ServerSession& session) {
    EmbeddedRemoteHosts hosts(m_server, std::make_shared<const ServerSession>(session));
    if (is(request, "GET")) {
        std::string bytes;
        QString version;
        const HRESULT hr = hosts.readHostsFile(bytes, version);
        if (FAILED(hr))
            return failed(hr, hosts.LastErrorText());
        return answer(200,
                      {{QStringLiteral("exists"), hr == S_OK},
                       {QStringLiteral("content"), QString::fromStdString(bytes)}},
                      versionHeader(version));
    }
    if (!is(request, "PUT"))
        return wrongMethod("GET, PUT");
    JsonFields fields(request.body);
    const std::string content = fields.text("content").toStdString();
    if (fields.problem())
        return badRequestResponse(*fields.problem());
    QString version;
    const HRESULT hr = hosts.writeHostsFile(content, expectedVersion(request), &version);
    return FAILED(hr) ? failed(hr, hosts.LastErrorText()) : noContent(versionHeader(version));
}
