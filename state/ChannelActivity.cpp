// CConfigState: what the server's channels are doing now. Every call asks the server again;
// nothing is kept, so the progress thread may ask while the user-interface thread does.

#include "ConfigState.h"

#include "SharedState.h"
#include "TraceScope.h"
#include "server/IChannel.h"

namespace {

// The channel's interface, or a reported failure for an index outside the channels.
std::shared_ptr<IChannel> channelOrFail(CTraceScope& scope, int channel) {
    const SharedState& s = sharedState();
    if (channel < 0 || channel >= s.channelCount)
        scope.Fail(E_FAIL, __FILE__, __LINE__, "Invalid channel index: %d", channel);
    const std::shared_ptr<IChannel> found = s.channels[static_cast<std::size_t>(channel)];
    if (!found)
        scope.RaiseComError(E_POINTER);
    return found;
}

} // namespace

HRESULT CConfigState::GetChanStatus(int channel, const std::string& name, Variant& value) {
    CTraceScope scope("CConfigState::GetChanStatus");
    return scope.Run([&] { scope.Check(channelOrFail(scope, channel)->GetStatus(name, value)); });
}

bool CConfigState::IsLoaded(int channel) {
    CTraceScope scope("CConfigState::IsLoaded");
    bool loaded = false;
    scope.Run([&] {
        Variant asset;
        scope.Check(channelOrFail(scope, channel)->GetStatus("assetname", asset));
        loaded = !asset.toText().empty();
    });
    return loaded;
}

bool CConfigState::isPortState(int channel, int first, int second, const char* operation) {
    CTraceScope scope("%s", operation);
    bool result = false;
    scope.Run([&] {
        const SharedState& s = sharedState();
        const auto inState = [&](int index) {
            const std::shared_ptr<IChannel> interface = s.channels[static_cast<std::size_t>(index)];
            if (!interface)
                scope.RaiseComError(E_POINTER);
            Variant value;
            scope.Check(interface->GetStatus("portstate", value));
            std::int32_t state = 0;
            scope.Check(value.toInt32(state));
            return state == first || state == second;
        };
        if (channel < 0 || channel >= s.channelCount) {
            for (int index = 0; index < s.channelCount && !result; ++index)
                result = inState(index);
        } else {
            result = inState(channel);
        }
    });
    return result;
}

bool CConfigState::IsPlaying(int channel) {
    return isPortState(channel, 1, 2, "CConfigState::IsPlaying");
}

bool CConfigState::IsRecording(int channel) {
    return isPortState(channel, 3, 4, "CConfigState::IsRecording");
}

std::uint32_t CConfigState::IsChannelOffline() {
    CTraceScope scope("CConfigState::IsChannelOffline");
    std::uint32_t mask = 0;
    scope.Run([&] {
        const SharedState& s = sharedState();
        for (int index = 0; index < kMaxChannels; ++index) {
            const std::shared_ptr<IChannel> interface = s.channels[static_cast<std::size_t>(index)];
            if (!interface)
                continue;
            Variant value;
            scope.Check(interface->GetStatus("channelOffline", value));
            bool offline = false;
            scope.Check(value.toBool(offline));
            if (offline)
                mask |= 1u << index;
        }
    });
    return mask;
}

bool CConfigState::IsSystemOffline() {
    CTraceScope scope("CConfigState::IsSystemOffline");
    bool offline = false;
    scope.Run([&] {
        const SharedState& s = sharedState();
        for (int index = 0; index < kMaxChannels && !offline; ++index) {
            const std::shared_ptr<IChannel> interface = s.channels[static_cast<std::size_t>(index)];
            if (!interface)
                continue;
            Variant value;
            scope.Check(interface->GetStatus("systemOffline", value));
            scope.Check(value.toBool(offline));
        }
    });
    return offline;
}
