#pragma once
// The stand-in video server behind the "localhost" connection: the committed and running
// configuration, accounts, protocol users, channel simulation and log, all kept in one
// state directory. One object per directory; every operation is safe from two threads.

#include "Accounts.h"
#include "ChannelStates.h"
#include "ConfigRules.h"
#include "StateFiles.h"
#include "platform/Variant.h"
#include "platform/XmlDocument.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

// Who is logged on through one connection.
struct ServerSession {
    std::string user;
    std::string domain;
    bool authorized = false; // may change the configuration
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

    // Configuration.
    HRESULT configuration(std::string& text);
    HRESULT commit(const ServerSession& session, const std::string& text);
    HRESULT attributeChange(const ServerSession& session, const std::string& elementXPath,
                            const std::string& attributeName, const std::string& value);

    // Log.
    HRESULT log(HRESULT status, int kind, const std::string& file, int line,
                std::uint32_t elapsedMs, const std::string& text);

    // Channels.
    HRESULT channelStatus(int channel, const std::string& name, Variant& value);
    HRESULT setChannelStatus(int channel, const QString& name, const QString& value);

    // Protocol users: field is "user", "password" or "domain".
    HRESULT protocolUser(int channel, const char* field, std::string& value);
    HRESULT setProtocolUser(const ServerSession& session, int channel, const char* field,
                            const std::string& value);

    // Accounts, for the command-line tool.
    Accounts& accounts() { return m_accounts; }

    // How long a channel stays offline after a commit changed it (milliseconds).
    void setRestartDelay(int milliseconds);

    // The permissions dialog is the program's to show; without one the call fails.
    using PermissionsPresenter = std::function<HRESULT(int channel, const std::string& channelId)>;
    void setPermissionsPresenter(PermissionsPresenter presenter);
    HRESULT showPermissions(int channel, const std::string& channelId);

private:
    // Loads the committed configuration, creating it from the default on first use.
    void loadRunning();

    std::recursive_mutex m_mutex;
    StateFiles m_files;
    Accounts m_accounts;
    ChannelStates m_channels;
    XmlDocument m_running;
    ChannelParts m_committedParts; // each channel's part of the committed configuration
    bool m_loaded = false;
    int m_restartDelayMs;
    PermissionsPresenter m_presenter;
};
