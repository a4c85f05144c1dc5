// CConfigState: each channel's protocol user and the server's permissions dialog, through
// the security interface. The password passes through here but never into a trace name, a
// report or a message.

#include "ConfigState.h"

#include "SharedState.h"
#include "TraceScope.h"
#include "platform/Prompter.h"
#include "server/ISecurity.h"

#include <fmt/printf.h>

namespace {

constexpr const char* kSecurityCaption = "Security";

} // namespace

HRESULT CConfigState::GetProtocolUserInfo(int channel, ProtocolUserInfo& info) {
    CTraceScope scope("CConfigState::GetProtocolUserInfo");
    return scope.Run([&] {
        const std::shared_ptr<ISecurity> security = sharedState().security;
        if (!security)
            return;
        ProtocolUserInfo read;
        scope.Check(security->GetChannelUser(channel, read.userName));
        scope.Check(security->GetChannelPassword(channel, read.password));
        scope.Check(security->GetChannelDomain(channel, read.domain));
        info = std::move(read);
    });
}

bool CConfigState::SetProtocolUserInfo(int channel, const std::string& channelId,
                                       const ProtocolUserInfo& info) {
    CTraceScope scope("CConfigState::SetProtocolUserInfo %d", channel);
    bool stored = true;
    scope.Run([&] {
        const std::shared_ptr<ISecurity> security = sharedState().security;
        if (!security)
            return;
        bool valid = false;
        scope.Check(security->ValidateUser(info.userName, info.password, info.domain, valid));
        if (!valid) {
            stored = false;
            prompter().messageBox(
                fmt::sprintf("The protocol user information entered for channel %s does not "
                             "resolve to a valid user account.  Please enter correct user "
                             "information.",
                             channelId),
                kSecurityCaption, MB_TOUCH_WARNING, nullptr);
            return;
        }
        scope.Check(security->PutChannelUser(channel, info.userName));
        scope.Check(security->PutChannelPassword(channel, info.password));
        scope.Check(security->PutChannelDomain(channel, info.domain));
    });
    // A service that fails leaves the entry unstored, or only partly stored: the user must
    // know, and the sheet stays open to try again.
    if (scope.Failed()) {
        prompter().messageBox(fmt::sprintf("The protocol user of channel %s could not be "
                                           "stored: %s",
                                           channelId, scope.FailureText()),
                              kSecurityCaption, MB_TOUCH_ERROR, nullptr);
        return false;
    }
    return stored;
}

HRESULT CConfigState::ShowPermissionsDialog(int channel, const std::string& channelId) {
    CTraceScope scope("CConfigState::ShowPermissionsDialog %d", channel);
    return scope.Run([&] {
        if (const std::shared_ptr<ISecurity> security = sharedState().security)
            scope.Check(security->ShowPermissions(channel, channelId));
    });
}
