#pragma once
// The static state every CConfigState instance shares; private to the state layer.

#include "ConfigState.h"

#include <array>
#include <memory>
#include <string>

struct SharedState {
    std::array<std::shared_ptr<IChannel>, kMaxChannels> channels;
    bool authenticated = false;
    bool authorized = false;
    std::shared_ptr<ISecurity> security;
    std::shared_ptr<IConfigServer> configServer;
    std::shared_ptr<ILog> log;
    std::shared_ptr<XmlDocument> document;
    std::int32_t instanceCount = 0;
    std::int32_t channelCount = 0;
    std::string initialConfiguration;
    bool proPanel = false;
    bool tearingDown = false;
};

SharedState& sharedState();
