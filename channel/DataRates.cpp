// The recording data-rate limits per video format and chroma format.

#include "ChannelDlg.h"

#include "platform/XmlDocument.h"

#include <algorithm>
#include <optional>

namespace {

bool isOneOf(const std::string& value, std::initializer_list<const char*> options) {
    return std::any_of(options.begin(), options.end(),
                       [&](const char* option) { return value == option; });
}

} // namespace

bool CChannelDlg::CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                     int& clamped, int sd422Maximum) {
    std::optional<int> low;
    std::optional<int> high;
    const bool is420 = chroma == "4_2_0";
    if (isOneOf(format, {"Format525_29_97Hz_2To1", "Format625_25Hz_2To1"})) {
        high = is420 ? 15 : sd422Maximum;
    } else if (isOneOf(format, {"Format1080_29_97Hz_2To1", "Format1080_25Hz_2To1"})) {
        low = 20;
        if (is420)
            high = 80;
    } else if (isOneOf(format, {"Format720_59_94Hz_1To1", "Format720_50Hz_1To1"})) {
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
