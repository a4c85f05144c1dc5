#pragma once
// The stand-in server's timecode object. It turns typed text into the canonical form
// "HH:MM:SS:FF": fields are separated by ":", ";" or "."; digits typed without separators
// fill the fields from the right (frames first); each field gets two digits; frames at or
// above the standard's rate (30 at 525, 25 at 625) carry into seconds, seconds and
// minutes above 59 carry on, and hours wrap at 24. With the drop-frame flag set at 525,
// the frames separator is "." and the frames 00 and 01 that drop-frame counting skips
// (every minute except each tenth) become 02.

#include "server/ITimecode.h"

class EmbeddedTimecode : public ITimecode {
public:
    HRESULT SetStandard(const std::string& referenceStandard) override;
    HRESULT SetFlag(bool flag) override;
    HRESULT SetText(const std::string& text) override;
    HRESULT GetText(std::string& text) override;

    // The canonical form of text for a frame rate; empty when the text holds no timecode.
    static std::string Normalise(const std::string& text, int frameRate, bool dropFrame);

private:
    int m_frameRate = 30;
    bool m_dropFrame = false;
    std::string m_text = "00:00:00:00";
};
