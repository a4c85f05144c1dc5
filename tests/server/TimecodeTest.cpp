#include "server/embedded/Timecode.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* typed;
    const char* standard;
    bool dropFrame;
    const char* expected;
};

std::string normalised(const Case& c) {
    EmbeddedTimecode timecode;
    timecode.SetStandard(c.standard);
    timecode.SetFlag(c.dropFrame);
    if (FAILED(timecode.SetText(c.typed)))
        return "refused";
    std::string text;
    timecode.GetText(text);
    return text;
}

constexpr const char* k525 = "Format525_29_97Hz_2To1";
constexpr const char* k625 = "Format625_25Hz_2To1";

} // namespace

TEST(Timecode, CanonicalForms) {
    const Case cases[] = {
        {"1:2:3:4", k625, false, "01:02:03:04"},
        {"01020304", k625, false, "01:02:03:04"},
        {"5", k625, false, "00:00:00:05"},
        {"", k625, false, "00:00:00:00"},
        {"00:00:00:25", k625, false, "00:00:01:00"}, // frames carry at 25
        {"00:00:00:29", k525, false, "00:00:00:29"}, // but not at 30
        {"00:00:00:30", k525, false, "00:00:01:00"},
        {"00:00:59:30", k525, false, "00:01:00:00"},
        {"23:59:59:24", k625, false, "23:59:59:24"},
        {"23:59:59:25", k625, false, "00:00:00:00"}, // hours wrap
        {"00:99:00:00", k625, false, "01:39:00:00"},
        {"00:00:00.00", k525, true, "00:00:00.00"},
        {"00:01:00.00", k525, true, "00:01:00.02"}, // dropped frame numbers
        {"00:10:00.01", k525, true, "00:10:00.01"}, // every tenth minute keeps them
        {"00:00:00;15", k625, true, "00:00:00:15"}, // no drop frame at 25
        {"1:2:3:4:5", k625, false, "refused"},
        {"12a", k625, false, "refused"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normalised(c), c.expected) << c.typed;
}

TEST(Timecode, UnknownStandardIsRefused) {
    EmbeddedTimecode timecode;
    EXPECT_EQ(timecode.SetStandard("Format1080_25Hz_2To1"), E_INVALIDARG);
}
