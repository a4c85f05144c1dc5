#include "RemoteServices.h"

#include "RemoteConnection.h"
#include "server/ChannelParts.h"
#include "server/IChannel.h"
#include "server/IConfigHistory.h"
#include "server/IConfigServer.h"

#include "server/ILog.h"
#include "server/IRemoteHosts.h"
#include "server/ISecurity.h"
#include "server/LastError.h"
#include "server/LastStatusLog.h"
#include "server/wire/WireFormat.h"
#include <QJsonArray>

namespace {

using SessionPtr = std::shared_ptr<RemoteSession>;
using Versioned = RemoteSession::Versioned;

QString path(const char* path) {
    return QString::fromLatin1(path);
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string field(const RemoteSession::Answer& answer, const char* name) {
    return answer.json.value(QLatin1String(name)).toString().toStdString();
}

class RemoteHostsFile : public IRemoteHosts {
public:
    explicit RemoteHostsFile(SessionPtr session) : m_session(std::move(session)) {}

    HRESULT ReadHostsFile(std::string& bytes) override {
        const auto answer =
            m_session->call("GET", path(wire::kRemoteHosts), {}, Versioned::RemoteHosts);
        bytes = field(answer, "content");
        const bool exists = answer.json.value(QLatin1String("exists")).toBool();
        return m_last.answered(SUCCEEDED(answer.status) && !exists ? S_FALSE : answer.status,
                               answer.error);
    }
    HRESULT WriteHostsFile(const std::string& bytes) override {
        const auto answer = m_session->call("PUT", path(wire::kRemoteHosts),
                                            {{"content", text(bytes)}}, Versioned::RemoteHosts);
        return m_last.answered(answer.status, answer.error);
    }
    std::string LastErrorText() override { return m_last.text(); }

private:
    SessionPtr m_session;
    LastError m_last;
};

class RemoteHistory : public IConfigHistory {
public:
    explicit RemoteHistory(SessionPtr session) : m_session(std::move(session)) {}

    HRESULT ListHistory(qint64 before, int count, std::vector<HistoryEntry>& entries) override {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("before"), QString::number(before));
        query.addQueryItem(QStringLiteral("count"), QString::number(count));
        const auto answer =
            m_session->call("GET", path(wire::kHistory), {}, Versioned::None, query);
        entries.clear();
        if (SUCCEEDED(answer.status)) {
            for (const QJsonValue entry : answer.json.value(QLatin1String("entries")).toArray())
                entries.push_back(HistoryEntryFromJson(entry.toObject()));
        }
        return m_last.answered(answer.status, answer.error);
    }
    HRESULT GetHistoryEntry(qint64 id, HistoryEntry& entry, std::string& configuration) override {
        const auto answer =
            m_session->call("GET", path(wire::kHistory) + QLatin1Char('/') + QString::number(id));
        if (SUCCEEDED(answer.status)) {
            entry = HistoryEntryFromJson(answer.json.value(QLatin1String("entry")).toObject());
            configuration = field(answer, wire::kConfigurationField);
        }
        return m_last.answered(answer.status, answer.error);
    }
    std::string LastErrorText() override { return m_last.text(); }

private:
    SessionPtr m_session;
    LastError m_last;
};

class RemoteConfigServer : public IConfigServer {
public:
    explicit RemoteConfigServer(SessionPtr session) : m_session(std::move(session)) {}

    HRESULT GetConfiguration(std::string& configuration) override {
        const auto answer =
            m_session->call("GET", path(wire::kConfiguration), {}, Versioned::Configuration);
        if (SUCCEEDED(answer.status))
            configuration = field(answer, wire::kConfigurationField);
        return answered(answer);
    }
    HRESULT CommitConfiguration(const std::string& configuration) override {
        return CommitConfigurationWithReport(configuration, {});
    }
    HRESULT CommitConfigurationWithReport(const std::string& configuration,
                                          const std::string& report) override {
        QJsonObject body{{wire::kConfigurationField, text(configuration)}};
        if (!report.empty())
            body.insert(QStringLiteral("report"), text(report));
        const auto answer =
            m_session->call("PUT", path(wire::kConfiguration), body, Versioned::Configuration);
        m_notice.answered(answer.status, field(answer, "notice"));
        return answered(answer);
    }
    std::string LastCommitNotice() override { return m_notice.text(); }
    HRESULT GetDefaultConfiguration(const std::string& referenceStandard,
                                    std::string& configuration) override {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("referenceStandard"), text(referenceStandard));
        const auto answer =
            m_session->call("GET", path(wire::kDefaults), {}, Versioned::None, query);
        if (SUCCEEDED(answer.status))
            configuration = field(answer, wire::kConfigurationField);
        return answered(answer);
    }
    HRESULT ValidateConfiguration(const std::string& configuration, bool& usable) override {
        const auto answer = m_session->call("POST", path(wire::kValidate),
                                            {{wire::kConfigurationField, text(configuration)}});
        usable = SUCCEEDED(answer.status) && answer.json.value(QLatin1String("usable")).toBool();
        if (FAILED(answer.status) || usable)
            return answered(answer);
        return m_last.answered(answer.status, field(answer, "reason"));
    }
    HRESULT AttributeChange(const std::string& elementXPath, const std::string& attributeName,
                            const std::string& value, bool flag) override {
        return answered(m_session->call("POST", path(wire::kAttribute),
                                        {{"element", text(elementXPath)},
                                         {"attribute", text(attributeName)},
                                         {"value", text(value)},
                                         {"flag", flag}}));
    }
    std::shared_ptr<IRemoteHosts> RemoteHostsFacet() override {
        return std::make_shared<RemoteHostsFile>(m_session);
    }
    std::shared_ptr<IConfigHistory> HistoryFacet() override {
        return std::make_shared<RemoteHistory>(m_session);
    }
    std::string LastErrorText() override { return m_last.text(); }

private:
    HRESULT answered(const RemoteSession::Answer& answer) {
        return m_last.answered(answer.status, answer.error);
    }

    SessionPtr m_session;
    LastError m_notice; // the last commit's notice
    LastError m_last;
};

class RemoteLog : public LastStatusLog {
public:
    explicit RemoteLog(SessionPtr session) : m_session(std::move(session)) {}

protected:
    HRESULT write(HRESULT status, std::int32_t kind, const std::string& file, std::int32_t line,
                  std::uint32_t elapsedMs, const std::string& entry) override {
        return m_session
            ->call("POST", path(wire::kLog),
                   {{"status", status},
                    {"kind", kind},
                    {"file", text(file)},
                    {"line", line},
                    {"elapsedMs", static_cast<qint64>(elapsedMs)},
                    {"text", text(entry)}})
            .status;
    }

private:
    SessionPtr m_session;
};

class RemoteSecurity : public ISecurity {
public:
    explicit RemoteSecurity(SessionPtr session) : m_session(std::move(session)) {}

    HRESULT GetChannelUser(int channel, std::string& user) override {
        return protocolUser(channel, "user", user);
    }
    HRESULT GetChannelPassword(int channel, std::string& password) override {
        return protocolUser(channel, "password", password);
    }
    HRESULT GetChannelDomain(int channel, std::string& domain) override {
        return protocolUser(channel, "domain", domain);
    }
    HRESULT PutChannelUser(int channel, const std::string& user) override {
        return setProtocolUser(channel, "user", user);
    }
    HRESULT PutChannelPassword(int channel, const std::string& password) override {
        return setProtocolUser(channel, "password", password);
    }
    HRESULT PutChannelDomain(int channel, const std::string& domain) override {
        return setProtocolUser(channel, "domain", domain);
    }
    HRESULT ValidateUser(const std::string& user, const std::string& password,
                         const std::string& domain, bool& valid) override {
        const auto answer = m_session->call(
            "POST", path(wire::kAccountCheck),
            {{"user", text(user)}, {"password", text(password)}, {"domain", text(domain)}});
        valid = answer.json.value(QLatin1String("valid")).toBool();
        return answer.status;
    }
    HRESULT ShowPermissions(int channel, const std::string& channelId) override {
        // The service refuses a read-only session's change too; this spares the dialog.
        if (!m_session->administrator())
            return E_ACCESSDENIED;
        const PermissionsPresenter& presenter = m_session->presenter();
        if (!presenter)
            return E_NOTIMPL;
        const QString permissions =
            path(wire::kChannelsPrefix) + QString::number(channel) + path(wire::kPermissionsSuffix);
        const auto read = m_session->call("GET", permissions);
        if (FAILED(read.status))
            return read.status;
        const QStringList accounts =
            read.json.value(QLatin1String("accounts")).toVariant().toStringList();
        QStringList allowed = read.json.value(QLatin1String("allowed")).toVariant().toStringList();
        const HRESULT answer = presenter(channel, channelId, accounts, allowed);
        if (answer != S_OK)
            return answer;
        return m_session
            ->call("PUT", permissions, {{"allowed", QJsonArray::fromStringList(allowed)}})
            .status;
    }

private:
    HRESULT protocolUser(int channel, const char* name, std::string& value) {
        if (channel < 0 || channel >= kChannelSlots)
            return E_INVALIDARG;
        const auto answer =
            m_session->call("GET", path(wire::kProtocolUsers), {}, Versioned::ProtocolUsers);
        if (SUCCEEDED(answer.status))
            value = answer.json.value(QLatin1String("channels"))
                        .toArray()
                        .at(channel)
                        .toObject()
                        .value(QLatin1String(name))
                        .toString()
                        .toStdString();
        return answer.status;
    }
    HRESULT setProtocolUser(int channel, const char* name, const std::string& value) {
        if (channel < 0 || channel >= kChannelSlots)
            return E_INVALIDARG;
        return m_session
            ->call("PUT", path(wire::kProtocolUsers) + QLatin1Char('/') + QString::number(channel),
                   {{"field", QLatin1String(name)}, {"value", text(value)}},
                   Versioned::ProtocolUsers)
            .status;
    }

    SessionPtr m_session;
};

class RemoteChannel : public IChannel {
public:
    RemoteChannel(SessionPtr session, int slot) : m_session(std::move(session)), m_slot(slot) {}
    HRESULT GetStatus(const std::string& name, Variant& value) override {
        return m_session->channelStatus(m_slot, name, value);
    }

private:
    SessionPtr m_session;
    int m_slot;
};

class RemoteAppServer : public IAppServer {
public:
    explicit RemoteAppServer(SessionPtr session) : m_session(std::move(session)) {}

    std::shared_ptr<ISecurity> QuerySecurity() override {
        return std::make_shared<RemoteSecurity>(m_session);
    }
    HRESULT GetConfigServer(const std::string&, std::shared_ptr<IConfigServer>& server) override {
        server = std::make_shared<RemoteConfigServer>(m_session);
        return S_OK;
    }
    HRESULT GetLog(const std::string&, std::shared_ptr<ILog>& log) override {
        log = std::make_shared<RemoteLog>(m_session);
        return S_OK;
    }
    HRESULT GetChannel(const Variant& index, std::shared_ptr<IChannel>& channel) override {
        int slot = -1;
        const HRESULT hr = ChannelSlotOf(index, slot);
        if (SUCCEEDED(hr))
            channel = std::make_shared<RemoteChannel>(m_session, slot);
        return hr;
    }

private:
    SessionPtr m_session;
};

// Keeps what it is given and asks the service for the canonical form.
class RemoteTimecode : public ITimecode {
public:
    explicit RemoteTimecode(SessionPtr session) : m_session(std::move(session)) {}

    HRESULT SetStandard(const std::string& referenceStandard) override {
        m_standard = referenceStandard;
        return S_OK;
    }
    HRESULT SetFlag(bool flag) override {
        m_flag = flag;
        return S_OK;
    }
    HRESULT SetText(const std::string& typed) override {
        m_text = typed;
        return S_OK;
    }
    HRESULT GetText(std::string& canonical) override {
        const auto answer = m_session->call(
            "POST", path(wire::kTimecode),
            {{"referenceStandard", text(m_standard)}, {"flag", m_flag}, {"text", text(m_text)}});
        if (SUCCEEDED(answer.status))
            canonical = field(answer, "text");
        return answer.status;
    }

private:
    SessionPtr m_session;
    std::string m_standard = "Format525_29_97Hz_2To1";
    bool m_flag = false;
    std::string m_text;
};

} // namespace

std::shared_ptr<IAppServer> CreateRemoteAppServer(std::shared_ptr<RemoteSession> session) {
    return std::make_shared<RemoteAppServer>(std::move(session));
}

std::shared_ptr<ITimecode> CreateRemoteTimecode(std::shared_ptr<RemoteSession> session) {
    return std::make_shared<RemoteTimecode>(std::move(session));
}
