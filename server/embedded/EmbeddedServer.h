#pragma once
// The stand-in video server behind the "localhost" connection: the committed and running
// configuration, accounts, protocol users, channel simulation and log, all kept in one
// state directory. One object per directory; every operation is safe from two threads.

#include "Accounts.h"
#include "ChannelStates.h"
#include "CommittedConfiguration.h"
#include "ConfigRules.h"
#include "StateFiles.h"
#include "platform/Variant.h"
#include "platform/XmlDocument.h"
#include "server/ISecurity.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

// Who is logged on through one connection.
struct ServerSession {
    std::string user;
    std::string domain;
    bool authorized = false;       // may change the configuration
    std::string address = "local"; // where the session came from, for the history
};

class EmbeddedServer {
public:
    // The server of a state directory, created on first use.
    static std::shared_ptr<EmbeddedServer> forDirectory(const QString& directory);

    explicit EmbeddedServer(const QString& directory);

    const StateFiles& files() const { return m_files; }

    // Logon.
    bool verifyAccount(const std::string& user, const std::string& password,
                       const std::string& domain);
    bool isMember(const ServerSession& session, const std::string& group);
    bool isAdministrator(const std::string& user, const std::string& domain);

    // Configuration. The running configuration is the committed one, re-read whenever
    // another process commits, with the live attribute changes made since.
    // version, when given, gets the version of the committed configuration it runs from.
    HRESULT configuration(std::string& text, QString* version = nullptr);
    // A refused or failed commit gives its reason, when asked for it. With an expected
    // version, a configuration committed since by anyone is not overwritten: E_CHANGED_STATE.
    // version, when given, gets the version of what was stored. The history keeps the report
    // with the commit; notice, when given, gets what to tell the user of a commit the history
    // could not record (empty when it did).
    HRESULT commit(const ServerSession& session, const std::string& text,
                   std::string* reason = nullptr,
                   const std::optional<QString>& expectedVersion = std::nullopt,
                   QString* version = nullptr, const std::string& report = {},
                   std::string* notice = nullptr);
    // A live change of one attribute of the running configuration. An attribute the running
    // configuration does not have is HRESULT_NOT_FOUND, with the reason when asked for it:
    // nothing is changed then, and the caller must not take it as applied.
    HRESULT attributeChange(const ServerSession& session, const std::string& elementXPath,
                            const std::string& attributeName, const std::string& value,
                            std::string* reason = nullptr);
    // The default configuration of a reference standard; E_INVALIDARG, with the reason when
    // asked for it, for an unknown one.
    HRESULT defaultConfiguration(const std::string& referenceStandard, std::string& text,
                                 std::string* reason = nullptr);
    // Set while a stored configuration was rejected and the default is in use.
    std::optional<RejectedConfiguration> rejectedConfiguration();

    // Log.
    HRESULT log(HRESULT status, int kind, const std::string& file, int line,
                std::uint32_t elapsedMs, const std::string& text);

    // Channels.
    HRESULT channelStatus(int channel, const std::string& name, Variant& value);
    HRESULT setChannelStatus(int channel, const QString& name, const QString& value);

    // Protocol users: field is "user", "password" or "domain".
    HRESULT protocolUser(int channel, const char* field, std::string& value);
    // The same as a session may see it: a password only for a session that may change the
    // configuration; a read-only session gets it empty.
    HRESULT protocolUser(const ServerSession& session, int channel, const char* field,
                         std::string& value);
    // With an expected version, protocol users changed since by anyone are left as they are:
    // E_CHANGED_STATE. version, when given, gets the version of what was stored.
    HRESULT setProtocolUser(const ServerSession& session, int channel, const char* field,
                            const std::string& value,
                            const std::optional<QString>& expectedVersion = std::nullopt,
                            QString* version = nullptr);
    // Every channel's protocol user ({user, password, domain} for each slot), read at once,
    // with the version they were read at; passwords as the session may see them.
    QJsonArray protocolUsers(const ServerSession& session, QString& version);

    // Accounts, for the command-line tool.
    Accounts& accounts() { return m_accounts; }
    // Every configuration stored, newest first, and the audit.
    ConfigHistory& history() { return m_history; }
    // Adds an event to the audit; a failure is told in the log.
    void audit(AuditEvent event);

    // How long a channel stays offline after a commit changed it (milliseconds).
    void setRestartDelay(int milliseconds);

    // Which accounts may control a channel: every account ("DOMAIN\\user", or the user
    // alone for this machine's) until a list is stored for the channel.
    HRESULT channelPermissions(int channel, QStringList& accounts, QStringList& allowed);
    HRESULT setChannelPermissions(const ServerSession& session, int channel,
                                  const QStringList& allowed);

    // The permissions dialog the program shows; without one the call fails.
    using PermissionsPresenter = ::PermissionsPresenter;
    void setPermissionsPresenter(PermissionsPresenter presenter);
    HRESULT showPermissions(const ServerSession& session, int channel,
                            const std::string& channelId);

private:
    // Loads the committed configuration when it is not loaded yet or changed on disk.
    HRESULT refreshRunning();
    // Changes one channel's entry of a per-channel state file, under the file's lock.
    HRESULT updateChannelEntry(const QString& file, int channel,
                               const std::function<void(QJsonObject&)>& change,
                               const std::optional<QString>& expectedVersion = std::nullopt,
                               QString* version = nullptr);
    // Logs a commit that is refused, and gives the reason to the caller when it asks.
    HRESULT refuseCommit(const ServerSession& session, HRESULT status, const std::string& why,
                         std::string* reason);

    std::recursive_mutex m_mutex;
    StateFiles m_files;
    Accounts m_accounts;
    ChannelStates m_channels;
    // What the history's retention settings held that was not taken, logged once at start.
    std::vector<std::string> m_retentionRefusals;
    ConfigHistory m_history;
    CommittedConfiguration m_committed;
    XmlDocument m_running;
    int m_restartDelayMs;
    PermissionsPresenter m_presenter;
};
