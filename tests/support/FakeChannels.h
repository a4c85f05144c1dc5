#pragma once
// Four scripted channels installed as the configuration state's channel table.

#include "state/ConfigState.h"
#include "support/FakeConnection.h"

#include <map>
#include <memory>
#include <string>

inline void installFakeChannels(CConfigState& state,
                                std::shared_ptr<FakeChannel> (&channels)[kMaxChannels],
                                const std::map<std::string, Variant>& values) {
    std::array<std::shared_ptr<IChannel>, kMaxChannels> interfaces;
    for (int i = 0; i < kMaxChannels; ++i) {
        channels[i] = std::make_shared<FakeChannel>();
        channels[i]->values = values;
        interfaces[static_cast<std::size_t>(i)] = channels[i];
    }
    state.SetChannelInterfaces(interfaces, kMaxChannels);
}
