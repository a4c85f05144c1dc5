#pragma once
// The one configuration state of the program. Every instance shares the same static
// state: the configuration document, the server interfaces, the logon flags and the
// channel table. Code constructs a local instance wherever it needs the configuration;
// the sheet keeps one alive for the whole run, and the last one to go tears down.

#include "platform/HResult.h"
#include "platform/Variant.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class XmlDocument;
class XmlNode;
class QObject;
class IConfigHistory;
class IConfigServer;
class CTraceScope;
class ILog;
class ISecurity;
class IChannel;

constexpr int kMaxChannels = 4;

// A channel's protocol user: the account the channel's control protocol runs as.
struct ProtocolUserInfo {
    std::string userName;
    std::string password;
    std::string domain;
};

// A change the user made: the row's label and what it is bound to (element XPath, "/@" and
// attribute name; empty when it is bound to nothing, as a dialog's change is).
struct ChangeCause {
    std::string label;
    std::string binding;
    bool operator==(const ChangeCause&) const = default;
};

// What the logon needs from the command line.
struct LogonParameters {
    std::string hostName = "localhost";
    std::string userName;
    std::string password;
    std::string domain;
    bool credentialsGiven = false;
};

class CConfigState {
public:
    CConfigState();
    ~CConfigState();
    CConfigState(const CConfigState&) = delete;
    CConfigState& operator=(const CConfigState&) = delete;

    // The document, when one exists; out is left as it was otherwise. Always S_OK.
    HRESULT GetConfigDocument(std::shared_ptr<XmlDocument>& out) const;

    // Writes one attribute (element XPath + "/@" + attribute name). A float is written in
    // the en-US form. With sendNow, and when the user is authorized and a configuration
    // server exists, the change is also sent to the server at once with the flag.
    HRESULT PutAttributeValue(const std::string& elementXPath, const std::string& attributeName,
                              const Variant& value, bool sendNow, bool flag);

    // Connects to the host, logs the user on (asking when no credentials were given),
    // decides between full and read-only access and fetches the configuration document.
    // S_OK, E_ACCESSDENIED when the user gives up, or the status of a failure.
    HRESULT CreateAppServers(const LogonParameters& logon);

    // Words for what another session committed: one line a change, from the configuration
    // this session last knew the server to hold to the one it holds now.
    using ChangeWords =
        std::function<std::vector<std::string>(const XmlDocument& known, const XmlDocument& now)>;

    // Whole-configuration operations. Commit and RestoreInitial first make sure that no
    // other session committed since logon; when one did, the user is asked, with that
    // session's changes in the words given, and declining gives E_ABORT with nothing sent.
    // A commit sends the report of its changes for the server's history.
    bool IsConfigDirty();
    HRESULT CommitConfig(const ChangeWords& words = {}, const std::string& report = {});
    // What the server said of the last commit that succeeded: that its history could not
    // record it. Empty when there is nothing to say.
    std::string LastCommitNotice();
    HRESULT RestoreDefaultConfig();
    HRESULT RestoreInitialConfig(const ChangeWords& words = {});
    // Both append ".xml" to path when it does not end so.
    HRESULT LoadConfig(std::string& path);
    HRESULT SaveConfig(std::string& path);
    // Takes the configuration of an entry of the server's history as the document, judged as
    // Load judges a file; what is wrong is told as Load tells it.
    HRESULT LoadHistoryEntry(std::int64_t id);
    // The server's history of stored configurations; null when it keeps none.
    std::shared_ptr<IConfigHistory> ConfigHistory();
    HRESULT CancelOutputTestMode();

    // Channel activity, asked of the server at every call. A channel outside 0 to channel
    // count - 1 means any channel for IsPlaying and IsRecording.
    HRESULT GetChanStatus(int channel, const std::string& name, Variant& value);
    bool IsLoaded(int channel);
    bool IsPlaying(int channel);
    bool IsRecording(int channel);
    // Bit i set when channel i is offline.
    std::uint32_t IsChannelOffline();
    bool IsSystemOffline();

    // A channel's protocol user, through the security interface. Without one they do
    // nothing and succeed. SetProtocolUserInfo stores only an entry that resolves to an
    // account, tells the user when one does not or when the service fails, and returns
    // whether it stored the entry.
    HRESULT GetProtocolUserInfo(int channel, ProtocolUserInfo& info);
    bool SetProtocolUserInfo(int channel, const std::string& channelId,
                             const ProtocolUserInfo& info);
    HRESULT ShowPermissionsDialog(int channel, const std::string& channelId);

    bool IsAuthenticated() const;
    bool IsAuthorized() const;
    // The name the user logged on with, as given; empty before a logon succeeds.
    const std::string& GetUserName() const;
    // Logged on without the right to change anything: the read-only view.
    bool IsReadOnly() const;
    bool HasDocument() const;
    // Changes whenever the document's content is replaced as a whole (logon, Load, Restore).
    std::uint64_t DocumentGeneration() const;
    // Why the logon ended without a usable configuration; empty when it did not.
    const std::string& GetLogonFailureText() const;
    // Both the configuration server and the log are there.
    bool IsConnected() const;
    bool IsProPanel() const;
    int GetChannelCount() const;

    std::shared_ptr<ILog> GetLogInterface() const;
    std::shared_ptr<IConfigServer> GetConfigServer() const;
    // Why the configuration server's last operation failed, for the line under what did not
    // happen: "The server says: " and its reason when it gives one, or the reason a connection
    // to it was lost, else the failed status's text; empty for a success without a reason.
    std::string GetServerFailureText(HRESULT status = S_OK) const;
    std::shared_ptr<ISecurity> GetSecurityInterface() const;
    std::shared_ptr<IChannel> GetChannelInterface(int index) const;
    const std::string& GetInitialConfig() const;
    // The configuration as this session started, parsed; null before a logon.
    const XmlDocument* GetInitialDocument() const;
    // Whether the nodes an XPath selects differ, in any attribute or element below them,
    // from those it selected in the configuration as the session started.
    bool PartDiffersFromStart(std::string_view xpath) const;

    // Marks the start of a change by the user: whatever is written to the document from now
    // until the next one begins, the user's own write and the rules' writes it sets off,
    // is put down to this cause.
    void BeginUserChange(ChangeCause cause);
    // The change that last wrote an attribute of an element of the document (an empty name:
    // added or removed a child of it) since the document was last replaced as a whole;
    // none for what Load, Restore or no change of the user's wrote.
    std::optional<ChangeCause> CauseOfWrite(const XmlNode& element, const std::string& attribute);

    // The log interface without constructing an instance, for the trace reports: a report
    // must never be the thing that tears the shared state down.
    static std::shared_ptr<ILog> SharedLogInterface();

    // Filled by the logon. Tests, benchmarks and fuzz targets set them directly: these are
    // defined in their support library (tests/support), not in the programs.
    void SetDocument(std::shared_ptr<XmlDocument> document);
    void SetServices(std::shared_ptr<IConfigServer> configServer, std::shared_ptr<ILog> log,
                     std::shared_ptr<ISecurity> security = nullptr);
    void SetLogonFlags(bool authenticated, bool authorized);
    void SetChannelInterfaces(const std::array<std::shared_ptr<IChannel>, kMaxChannels>& channels,
                              int channelCount);
    void SetInitialConfig(std::string text);
    void SetProPanel(bool proPanel);

    static int InstanceCount();

private:
    void teardown();
    // Takes a configuration's bytes as the document when they are XML with a Config root
    // that the server could run; else tells why, naming where they came from.
    void takeConfiguration(CTraceScope& scope, IConfigServer& server, XmlDocument& document,
                           std::string_view content, const std::string& name);
    bool isPortState(int channel, int first, int second, const char* operation);
};

// What a user without the right to change the configuration is told of a refused change.
inline constexpr const char* kNotAuthorizedText =
    "You are not authorized to change configuration settings.";
// Tells it, under the caption.
void TellNotAuthorized(const std::string& caption, QObject* owner);
