// The setters that fill the configuration state without a logon, for tests, benchmarks and
// fuzz targets. The programs fill it by logging on, so these are not part of them.

#include "state/ConfigState.h"
#include "state/SharedState.h"

void CConfigState::SetDocument(std::shared_ptr<XmlDocument> document) {
    sharedState().document = std::move(document);
    ++sharedState().documentGeneration;
}

void CConfigState::SetServices(std::shared_ptr<IConfigServer> configServer,
                               std::shared_ptr<ILog> log, std::shared_ptr<ISecurity> security) {
    sharedState().configServer = std::move(configServer);
    sharedState().log = std::move(log);
    sharedState().security = std::move(security);
}

void CConfigState::SetLogonFlags(bool authenticated, bool authorized) {
    sharedState().authenticated = authenticated;
    sharedState().authorized = authorized;
}

void CConfigState::SetChannelInterfaces(
    const std::array<std::shared_ptr<IChannel>, kMaxChannels>& channels, int channelCount) {
    sharedState().channels = channels;
    sharedState().channelCount = channelCount;
}

void CConfigState::SetInitialConfig(std::string text) {
    sharedState().initialConfiguration = std::move(text);
    sharedState().serverCopy.reset();
    sharedState().initialDocument.reset();
}

void CConfigState::SetProPanel(bool proPanel) {
    sharedState().proPanel = proPanel;
}
