#pragma once
// One channel of the server, as its live status: "assetname", "portstate",
// "channelOffline", "systemOffline", "referencePresent", "referenceLocked" and others.

#include "platform/HResult.h"
#include "platform/Variant.h"

#include <string>

class IChannel {
public:
    virtual ~IChannel() = default;
    virtual HRESULT GetStatus(const std::string& name, Variant& value) = 0;
};
