// The recording data-rate limits per video format and chroma format.

#include "ChannelDlg.h"

#include "platform/XmlDocument.h"

#include <optional>

bool CChannelDlg::CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                     int& clamped, int sd422Maximum) {
    std::optional<int> low;
    std::optional<int> high;
    const bool is420 = chroma == "4_2_0";
    if (VideoFormat::IsStandardDefinition(format)) {
        high = is420 ? 15 : sd422Maximum;
    } else if (VideoFormat::Is1080(format)) {
        low = 20;
        if (is420)
            high = 80;
    } else if (VideoFormat::Is720(format)) {
        low = is420 ? 12 : 20;
        if (is420)
            high = 80;
    }
    clamped = rate;
    if (high && clamped > *high)
        clamped = *high;
    if (low && clamped < *low)
        clamped = *low;
    return clamped != rate;
}

bool CChannelDlg::CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                     int& clamped, const XmlNode& codec) {
    return CheckVideoDataRate(format, chroma, rate, clamped, Sd422MaximumRate(codec));
}

int CChannelDlg::Sd422MaximumRate(const XmlNode& codec) {
    const std::string profile = codec.selectSingleNode("Mpeg/@profileLevel").value();
    const bool fast =
        !codec.selectSingleNode("Dv50").isNull() || profile == "422P@HL" || profile == "MP@HL";
    return fast ? 50 : 25;
}
