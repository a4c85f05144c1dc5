// The review in words: entry lines, rule counts, the restart line, the notice after a
// commit and the text report.

#include "review/ReviewText.h"

#include <gtest/gtest.h>

namespace {

ConfigChange attributeChange(std::string path, std::string attribute, std::string before,
                             std::string after) {
    ConfigChange change;
    change.path = std::move(path);
    change.attribute = std::move(attribute);
    change.before = std::move(before);
    change.after = std::move(after);
    return change;
}

ConfigChange elementChange(ConfigChange::Kind kind, std::string path) {
    ConfigChange change;
    change.kind = kind;
    change.path = std::move(path);
    return change;
}

} // namespace

TEST(ReviewTextTest, AnEntryShowsItsLabelAndBothValuesWithNoneForAnEmptyOne) {
    EXPECT_EQ(EntryLine(TextEntry("Reference standard:", "NTSC (59.94 Hz)", "PAL (50 Hz)")),
              "Reference standard: NTSC (59.94 Hz) \u2192 PAL (50 Hz)");
    EXPECT_EQ(EntryLine(TextEntry("User:", "", "playout")), "User: (none) \u2192 playout");
    // A label without its own colon gets one; an entry without values is its label alone.
    EXPECT_EQ(EntryLine(TextEntry("Host \"a\" controller id", "1", "")),
              "Host \"a\" controller id: 1 \u2192 (none)");
    EXPECT_EQ(EntryLine(TextEntry("Password: changed")), "Password: changed");
}

TEST(ReviewTextTest, DocumentChangesAreWordedByTheirElementsBelowTheChannel) {
    const ReviewEntry byId = DescribeChange(
        attributeChange("/Config[1]/VideoInput[@id=\"VideoIn2\"]", "videoInputFormat", "A", "B"));
    EXPECT_EQ(EntryLine(byId), "Video input \"VideoIn2\" \u203A Format: A \u2192 B");
    EXPECT_EQ(byId.ownCount, 1u);
    // An id the group already names is left out.
    EXPECT_EQ(EntryLine(DescribeChange(attributeChange("/Config[1]/VideoInput[@id=\"VideoIn2\"]",
                                                       "videoInputFormat", "A", "B"),
                                       {"VideoIn2"})),
              "Video input \u203A Format: A \u2192 B");

    // The channel is the group's name, not repeated; a track is named by its number, and
    // true and false read as the attribute says.
    EXPECT_EQ(EntryLine(DescribeChange(attributeChange("/Config[1]/Channel[@id=\"C1\"]/Audio[9]",
                                                       "assigned", "true", "false"))),
              "Audio track 9: assigned \u2192 not assigned");
    EXPECT_EQ(EntryLine(DescribeChange(attributeChange("/Config[1]/Channel[@id=\"C1\"]/Audio[1]/"
                                                       "AudioInputComponent[1]",
                                                       "tag", "ENG", ""))),
              "Audio track 1 \u203A Input component \u203A Tag: ENG \u2192 (none)");
    EXPECT_EQ(EntryLine(DescribeChange(attributeChange("/Config[1]/Channel[@id=\"C1\"]",
                                                       "continuousRecord", "false", "true"))),
              "Channel \u203A Continuous record: off \u2192 on");
    EXPECT_EQ(EntryLine(DescribeChange(attributeChange(
                  "/Config[1]/VideoCodec[1]/UncompressedVbi[1]", "enable", "true", "false"))),
              "Video codec \u203A Uncompressed VBI: enabled \u2192 disabled");

    // A slash or bracket inside an id's quotes does not split the path.
    EXPECT_EQ(EntryLine(DescribeChange(elementChange(ConfigChange::Kind::ElementAdded,
                                                     "/Config[1]/GpiInput[@id=\"in/[3]\"]"))),
              "GPI input \"in/[3]\" added");
    EXPECT_EQ(EntryLine(DescribeChange(elementChange(ConfigChange::Kind::ElementRemoved,
                                                     "/Config[1]/VideoCodec[@id=\"V1\"]/"
                                                     "UncompressedVbi[1]/VbiLine[2]"),
                                       {"V1"})),
              "Video codec \u203A Uncompressed VBI \u203A VBI line 2 removed");
    // A VBI line whose element says which line it is, is named by that line.
    ConfigChange line = elementChange(ConfigChange::Kind::ElementRemoved,
                                      "/Config[1]/VideoCodec[1]/UncompressedVbi[1]/VbiLine[2]");
    line.element = R"(<VbiLine lineNum="21" lineType="Luma"/>)";
    EXPECT_EQ(EntryLine(DescribeChange(line)),
              "Video codec \u203A Uncompressed VBI \u203A VBI line 21 removed");
    EXPECT_EQ(EntryLine(DescribeChange(attributeChange("/Config[1]", "version", "1", "2"))),
              "Configuration \u203A Version: 1 \u2192 2");
}

TEST(ReviewTextTest, RuleChangesAreCountedAndASetBackRowSaysWhatRemains) {
    ReviewEntry entry = TextEntry("Video format:", "NTSC", "PAL");
    entry.changes = {ConfigChange{}, ConfigChange{}, ConfigChange{}};
    entry.ownCount = 1;
    EXPECT_EQ(CausedLine(entry), "2 changes made by rules");
    entry.ownCount = 2;
    EXPECT_EQ(CausedLine(entry), "1 change made by rules");
    entry.ownCount = 3;
    EXPECT_EQ(CausedLine(entry), "");

    ReviewEntry setBack = TextEntry("Video format:");
    setBack.changes = {ConfigChange{}};
    setBack.setBack = true;
    EXPECT_EQ(CausedLine(setBack), "set back; 1 change made by rules remains");
    setBack.changes.push_back(ConfigChange{});
    EXPECT_EQ(CausedLine(setBack), "set back; 2 changes made by rules remain");
}

TEST(ReviewTextTest, RestartAndOutcomeNameTheChannels) {
    ConfigReview review;
    EXPECT_EQ(RestartLine(review), "");
    review.restartingChannels = {"C2"};
    EXPECT_EQ(RestartLine(review), "Channel C2 goes offline to restart.");
    review.restartingChannels = {"C1", "C2", "4"};
    EXPECT_EQ(RestartLine(review), "Channels C1, C2 and 4 go offline to restart.");

    review.groups = {ReviewGroup{"System", "", {TextEntry("a")}},
                     ReviewGroup{"Channel", "C1", {TextEntry("b"), TextEntry("c")}}};
    EXPECT_EQ(OutcomeText(review, {}),
              "Committed: System (1 change) and Channel C1 (2 changes).\nNo channel restarted.");
    EXPECT_EQ(OutcomeText(review, {{"C1", "C2"}, {}, 4.26}),
              "Committed: System (1 change) and Channel C1 (2 changes).\n"
              "Channels C1 and C2 restarted in 4.3 seconds.");
    EXPECT_EQ(OutcomeText(review, {{"C1"}, {"C3"}, 120}),
              "Committed: System (1 change) and Channel C1 (2 changes).\n"
              "Channel C1 restarted in 120.0 seconds.\n"
              "Channel C3 was still offline after 120.0 seconds.");
}

TEST(ReviewTextTest, TheReportAndItsSummaryListGroupsEntriesTheirRuleChangesAndTheRestart) {
    ConfigReview review;
    EXPECT_EQ(ReviewReport(review, "Title"), "Title\n\nNo changes.\n");

    ReviewEntry standard = TextEntry("Reference standard:", "NTSC (59.94 Hz)", "PAL (50 Hz)");
    standard.changes = {
        attributeChange("/Config[1]/System[1]/SystemVideoReference[1]", "referenceStandard", "N",
                        "P"),
        attributeChange("/Config[1]/VideoInput[@id=\"VideoIn2\"]", "videoInputFormat", "N", "P")};
    standard.ownCount = 1;
    review.groups = {ReviewGroup{"System", "", {standard}},
                     ReviewGroup{"Security", "C2", {TextEntry("Password: changed")}}};
    review.restartingChannels = {"C2"};
    EXPECT_EQ(ReviewReport(review, "Title"),
              "Title\n\n"
              "System\n"
              "  Reference standard: NTSC (59.94 Hz) \u2192 PAL (50 Hz)\n"
              "    1 change made by rules:\n"
              "      Video input \"VideoIn2\" \u203A Format: N \u2192 P\n"
              "\n"
              "Security C2\n"
              "  Password: changed\n"
              "\n"
              "Channel C2 goes offline to restart.\n");
    // The summary counts as the review and the notice do: a change with what rules wrote
    // after it is one.
    EXPECT_EQ(ReviewSummary(review), "2 changes: System, Security C2");
}
