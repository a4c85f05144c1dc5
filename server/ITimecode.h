#pragma once
// The server's timecode object: turns typed text into the canonical timecode of a
// reference standard.

#include "platform/HResult.h"

#include <string>

class ITimecode {
public:
    virtual ~ITimecode() = default;
    virtual HRESULT SetStandard(const std::string& referenceStandard) = 0;
    virtual HRESULT SetFlag(bool flag) = 0;
    virtual HRESULT SetText(const std::string& text) = 0;
    virtual HRESULT GetText(std::string& text) = 0;
};
