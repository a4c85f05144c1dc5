#include "ConfigState.h"

#include "SharedState.h"
#include "TraceScope.h"
#include "XPathAccess.h"
#include "platform/Prompter.h"
#include "platform/XmlDocument.h"
#include "server/IConfigServer.h"
#include "server/ILog.h"

SharedState& sharedState() {
    static SharedState state;
    return state;
}

namespace {
SharedState& shared() {
    return sharedState();
}

// The logon text parsed into the slot when it is empty; null without a usable text.
XmlDocument* parsedLogonText(const SharedState& state, std::unique_ptr<XmlDocument>& slot) {
    if (!slot && !state.initialConfiguration.empty()) {
        auto document = std::make_unique<XmlDocument>();
        if (document->loadXml(state.initialConfiguration) == S_OK)
            slot = std::move(document);
    }
    return slot.get();
}

} // namespace

XmlDocument* serverCopy(SharedState& state) {
    return parsedLogonText(state, state.serverCopy);
}

CConfigState::CConfigState() {
    SharedState& s = shared();
    // A state opened while the last one tears down must not clear what the teardown
    // still uses.
    if (s.instanceCount++ == 0 && !s.tearingDown) {
        s.channels = {};
        s.authenticated = false;
        s.authorized = false;
        s.userName.clear();
    }
}

CConfigState::~CConfigState() {
    if (--shared().instanceCount == 0)
        teardown();
}

int CConfigState::InstanceCount() {
    return shared().instanceCount;
}

HRESULT CConfigState::GetConfigDocument(std::shared_ptr<XmlDocument>& out) const {
    if (shared().document)
        out = shared().document;
    return S_OK;
}

HRESULT CConfigState::PutAttributeValue(const std::string& elementXPath,
                                        const std::string& attributeName, const Variant& value,
                                        bool sendNow, bool flag) {
    CTraceScope scope("CConfigState::PutAttributeValue");
    return scope.Run([&] {
        const std::shared_ptr<XmlDocument> document = shared().document;
        if (!document)
            return;
        const std::string text = value.toText();
        const std::string xpath = elementXPath + "/@" + attributeName;
        // An open checkpoint must be able to give the server back what it held.
        std::optional<std::string> before;
        if (std::string old; shared().openCheckpoints > 0 &&
                             ReadXPathValue(document->documentNode(), xpath, old) == S_OK)
            before = std::move(old);
        const HRESULT written = WriteXPathValue(document->documentNode(), xpath, Variant(text));
        if (FAILED(written))
            scope.RaiseComError(written);
        const std::shared_ptr<IConfigServer> server = shared().configServer;
        if (sendNow && server && shared().authorized) {
            scope.Check(server->AttributeChange(elementXPath, attributeName, text, flag), *server);
            if (shared().openCheckpoints > 0)
                shared().liveWrites.push_back({elementXPath, attributeName, before, text});
            // The server holds the change now: a later commit must not take it for another
            // session's.
            if (XmlDocument* copy = serverCopy(shared()))
                WriteXPathValue(copy->documentNode(), xpath, Variant(text));
        }
    });
}

bool CConfigState::IsAuthenticated() const {
    return shared().authenticated;
}
bool CConfigState::IsAuthorized() const {
    return shared().authorized;
}
const std::string& CConfigState::GetUserName() const {
    return shared().userName;
}
bool CConfigState::IsReadOnly() const {
    return shared().authenticated && !shared().authorized;
}
bool CConfigState::HasDocument() const {
    return shared().document != nullptr;
}
std::uint64_t CConfigState::DocumentGeneration() const {
    return shared().documentGeneration;
}
const std::string& CConfigState::GetLogonFailureText() const {
    return shared().logonFailure;
}
bool CConfigState::IsConnected() const {
    return shared().configServer && shared().log;
}
bool CConfigState::IsProPanel() const {
    return shared().proPanel;
}
int CConfigState::GetChannelCount() const {
    return shared().channelCount;
}

std::shared_ptr<ILog> CConfigState::GetLogInterface() const {
    return shared().log;
}
std::shared_ptr<IConfigServer> CConfigState::GetConfigServer() const {
    return shared().configServer;
}
std::string CConfigState::GetServerFailureText(HRESULT status) const {
    return ServerFailureText(shared().configServer.get(), status);
}
std::shared_ptr<ISecurity> CConfigState::GetSecurityInterface() const {
    return shared().security;
}

std::shared_ptr<IChannel> CConfigState::GetChannelInterface(int index) const {
    if (index < 0 || index >= kMaxChannels)
        return nullptr;
    return shared().channels[static_cast<std::size_t>(index)];
}

const std::string& CConfigState::GetInitialConfig() const {
    return shared().initialConfiguration;
}

bool CConfigState::PartDiffersFromStart(std::string_view xpath) const {
    const XmlDocument* initial = GetInitialDocument();
    const std::shared_ptr<XmlDocument> document = shared().document;
    if (!initial || !document)
        return false;
    const auto partText = [&](const XmlDocument& source) {
        std::string text;
        for (const XmlNode& node : source.documentNode().selectNodes(xpath))
            text += node.xml();
        return text;
    };
    return partText(*initial) != partText(*document);
}

const XmlDocument* CConfigState::GetInitialDocument() const {
    SharedState& s = shared();
    return parsedLogonText(s, s.initialDocument);
}

std::shared_ptr<ILog> CConfigState::SharedLogInterface() {
    return shared().log;
}

void TellNotAuthorized(const std::string& caption, QObject* owner) {
    prompter().messageBox(kNotAuthorizedText, caption, MB_TOUCH_WARNING, owner);
}
