#pragma once
// Rows of a channel's list declared as data: a builder is a table of these, and one
// routine of the channel dialog makes the items. XPaths are templates in which %d stands
// for the channel index.

#include <cstdint>
#include <string>
#include <vector>

// What the channel's components describe, read once when the dialog is built.
struct ChannelFlags {
    bool inputVitc = false;
    bool outputVitc = false;
    bool mpegCodec = false;
    bool output1080 = false; // 1080i 59.94 output offered
    bool output720 = false;  // 720p 59.94 output offered
    bool outputXga = false;
    bool outputWxga = false;
    bool outputComposite = false;
    bool inputComposite = false;
    bool ancData = false;
};

enum class RowKind { Heading, Choice, Slider, Status };

// A choice, offered only when the named child element exists under the row's element
// and only when the named channel flag is set.
struct RowChoice {
    int labelId;
    const char* value;
    const char* child = nullptr;
    bool ChannelFlags::*offeredIf = nullptr;
};

// A visibility condition: an attribute XPath (template) and the value it must have. A
// required one must hold; of the "any" ones at least one must.
struct RowCondition {
    bool any;
    const char* xpath;
    const char* value;
};

inline RowCondition ShownIf(const char* xpath, const char* value) {
    return {false, xpath, value};
}
inline RowCondition ShownIfAny(const char* xpath, const char* value) {
    return {true, xpath, value};
}

// Shown if the attribute has any of the values.
inline std::vector<RowCondition> ShownIfAnyOf(const char* xpath,
                                              const std::vector<const char*>& values) {
    std::vector<RowCondition> conditions;
    for (const char* value : values)
        conditions.push_back(ShownIfAny(xpath, value));
    return conditions;
}

// A slider's range, its three labels, tick frequency and units (none when null).
struct RowRange {
    int minimum = 0;
    int defaultValue = 0;
    int maximum = 0;
    const char* minimumLabel = "";
    const char* middleLabel = "";
    const char* maximumLabel = "";
    int tickFrequency = 1;
    const char* units = nullptr;
};

struct RowSpec {
    RowKind kind;
    int labelId;
    const char* element = "";   // element XPath template; empty for headings
    const char* attribute = ""; // attribute name, or the status name of a status row
    std::uint32_t flags = 0;
    std::uint32_t interlock = 0;
    std::vector<RowCondition> conditions = {};
    std::vector<RowChoice> choices = {};
    RowRange range = {};
    bool ChannelFlags::*builtIf = nullptr; // the row exists only when this flag is set
};

// Paths every channel builder uses.
namespace ChannelPath {
inline constexpr const char* kReferenceStandard =
    "./Config/System/SystemVideoReference/@referenceStandard";
inline constexpr const char* kInput =
    "//VideoInput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoInputComponent/@id]";
inline constexpr const char* kOutput =
    "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoOutputComponent/@id]";
inline constexpr const char* kCodec =
    "//VideoCodec[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoCodecComponent/@id]";
inline constexpr const char* kInputSelection =
    "//VideoInput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoInputComponent/@id]/"
    "@selectedInput";
inline constexpr const char* kInputFormat =
    "//VideoInput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoInputComponent/@id]/"
    "@videoInputFormat";
inline constexpr const char* kOutputFormat =
    "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoOutputComponent/@id]/"
    "@videoOutputFormat";
inline constexpr const char* kChannel = "//Channel[@channelIndex=\"%d\"]";
} // namespace ChannelPath

// The video format values of the document.
namespace VideoFormat {
inline constexpr const char* k525 = "Format525_29_97Hz_2To1";
inline constexpr const char* k625 = "Format625_25Hz_2To1";
inline constexpr const char* k1080_29 = "Format1080_29_97Hz_2To1";
inline constexpr const char* k1080_25 = "Format1080_25Hz_2To1";
inline constexpr const char* k720_59 = "Format720_59_94Hz_1To1";
inline constexpr const char* k720_50 = "Format720_50Hz_1To1";
inline constexpr const char* kXga_59 = "FormatXga_59_94Hz_1To1";
inline constexpr const char* kXga_50 = "FormatXga_50Hz_1To1";
inline constexpr const char* kWxga_59 = "FormatWxga_59_94Hz_1To1";
inline constexpr const char* kWxga_50 = "FormatWxga_50Hz_1To1";

inline bool IsStandardDefinition(const std::string& format) {
    return format == k525 || format == k625;
}
inline bool Is1080(const std::string& format) {
    return format == k1080_29 || format == k1080_25;
}
inline bool Is720(const std::string& format) {
    return format == k720_59 || format == k720_50;
}
// An MPEG profile level that encodes high-definition pictures.
inline bool IsHighDefinitionProfile(const std::string& profileLevel) {
    return profileLevel == "422P@HL" || profileLevel == "MP@HL";
}
inline bool IsXgaOrWxga(const std::string& format) {
    return format == kXga_59 || format == kXga_50 || format == kWxga_59 || format == kWxga_50;
}
} // namespace VideoFormat
