// The timecode rows of a channel: VITC reading and generation on standard-definition
// signals, and the timecode carried in ancillary data on high-definition ones.

#include "ChannelDlg.h"

#include "items/ConfigItem.h"
#include "platform/StringIds.h"
#include "state/TraceScope.h"

using namespace ChannelPath;
using namespace VideoFormat;

#define INPUT_VITC                                                                                 \
    "//VideoInput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoInputComponent/@id]/"             \
    "VideoInputVitc"
#define OUTPUT_VITC                                                                                \
    "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoOutputComponent/@id]/"           \
    "VideoOutputVitc"

namespace {

// A VITC line slider for one standard, shown while the switch attribute has the value.
RowSpec vitcLine(int labelId, const char* element, const char* attribute, const char* format,
                 const char* switchXPath, const char* switchValue, int defaultLine) {
    const bool ntsc = std::string(format) == k525;
    return {.kind = RowKind::Slider,
            .labelId = labelId,
            .element = element,
            .attribute = attribute,
            .flags = ITEM_INDENT | ITEM_LIVE,
            .conditions = {ShownIf(kInputFormat, format), ShownIf(switchXPath, switchValue)},
            .range = {ntsc ? 10 : 6, defaultLine, ntsc ? 20 : 22, ntsc ? "10" : "6", "",
                      ntsc ? "20" : "22"}};
}

const std::vector<RowSpec>& vitcInputRows() {
    constexpr const char* automatic = INPUT_VITC "/@automatic";
    static const std::vector<RowSpec> rows = [] {
        std::vector<RowSpec> list = {
            {.kind = RowKind::Heading,
             .labelId = IDS_VITC_INPUT_HEADING,
             .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
             .conditions = ShownIfAnyOf(kInputFormat, {k525, k625})},
            {.kind = RowKind::Choice,
             .labelId = IDS_AUTOMATIC_VITC_DETECTION,
             .element = INPUT_VITC,
             .attribute = "automatic",
             .flags = ITEM_INDENT | ITEM_LIVE | ITEM_RELAYOUT,
             .conditions = ShownIfAnyOf(kInputFormat, {k525, k625}),
             .choices = {{IDS_ON, "true"}, {IDS_OFF, "false"}}},
        };
        for (const char* format : {k525, k625}) {
            const bool ntsc = std::string(format) == k525;
            list.push_back(vitcLine(IDS_STARTING_VITC_LINE, INPUT_VITC, "line1", format, automatic,
                                    "true", ntsc ? 10 : 6));
            list.push_back(vitcLine(IDS_ENDING_VITC_LINE, INPUT_VITC, "line2", format, automatic,
                                    "true", ntsc ? 20 : 22));
            list.push_back(
                vitcLine(IDS_VITC_LINE_1, INPUT_VITC, "line1", format, automatic, "false", 16));
            list.push_back(
                vitcLine(IDS_VITC_LINE_2, INPUT_VITC, "line2", format, automatic, "false", 18));
        }
        list.push_back({.kind = RowKind::Status,
                        .labelId = IDS_VITC_PRESENT,
                        .attribute = "vitcPresent",
                        .conditions = ShownIfAnyOf(kInputFormat, {k525, k625})});
        return list;
    }();
    return rows;
}

const std::vector<RowSpec>& vitcOutputRows() {
    constexpr const char* enabled = OUTPUT_VITC "/@enable";
    static const std::vector<RowSpec> rows = [] {
        std::vector<RowSpec> list = {
            {.kind = RowKind::Heading,
             .labelId = IDS_VITC_OUTPUT_HEADING,
             .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
             .conditions = ShownIfAnyOf(kOutputFormat, {k525, k625})},
            {.kind = RowKind::Choice,
             .labelId = IDS_VITC_OUTPUT_GENERATOR,
             .element = OUTPUT_VITC,
             .attribute = "enable",
             .flags = ITEM_INDENT | ITEM_RELAYOUT,
             .conditions = ShownIfAnyOf(kOutputFormat, {k525, k625}),
             .choices = {{IDS_ON, "true"}, {IDS_OFF, "false"}}},
        };
        for (const char* format : {k525, k625}) {
            for (auto [label, attribute, line] : {std::tuple{IDS_VITC_LINE_1, "line1", 16},
                                                  std::tuple{IDS_VITC_LINE_2, "line2", 18}}) {
                RowSpec row =
                    vitcLine(label, OUTPUT_VITC, attribute, format, enabled, "true", line);
                row.conditions[0] = ShownIf(kOutputFormat, format);
                list.push_back(row);
            }
        }
        return list;
    }();
    return rows;
}

} // namespace

HRESULT CChannelDlg::CreateVitcInputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateVitcInputConfig");
    return scope.Run([&] {
        if (m_flags.inputVitc)
            AddRows(vitcInputRows());
    });
}

HRESULT CChannelDlg::CreateVitcOutputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateVitcOutputConfig");
    return scope.Run([&] {
        if (m_flags.outputVitc)
            AddRows(vitcOutputRows());
    });
}

HRESULT CChannelDlg::CreateAncTcInputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAncTcInputConfig");
    return scope.Run([&] {
        const bool ltc = exists(path(kInput) + "/VideoInputAncLtc");
        const bool vitc = exists(path(kInput) + "/VideoInputAncVitc");
        if (!ltc && !vitc)
            return;
        const std::vector<RowCondition> highDefinition =
            ShownIfAnyOf(kInputFormat, {k1080_29, k1080_25, k720_59, k720_50});
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_ANCILLARY_DATA_TIMECODE_INPUTS,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
                .conditions = highDefinition});
        if (ltc)
            AddRow({.kind = RowKind::Status,
                    .labelId = IDS_ANCILLARY_LTC_PRESENT,
                    .attribute = "ancLtcPresent",
                    .conditions = highDefinition});
        if (vitc)
            AddRow({.kind = RowKind::Status,
                    .labelId = IDS_ANCILLARY_VITC_PRESENT,
                    .attribute = "ancVitcPresent",
                    .conditions = highDefinition});
    });
}

HRESULT CChannelDlg::CreateAncTcOutputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAncTcOutputConfig");
    return scope.Run([&] {
        const bool ltc = exists(path(kOutput) + "/VideoOutputAncLtc");
        const bool vitc = exists(path(kOutput) + "/VideoOutputAncVitc");
        if (!ltc && !vitc)
            return;
        const std::vector<RowCondition> highDefinition =
            ShownIfAnyOf(kOutputFormat, {k1080_29, k1080_25, k720_59, k720_50});
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_ANCILLARY_DATA_TIMECODE_OUTPUT,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
                .conditions = highDefinition});
        const auto yesNo = [&](int label, const char* element) {
            AddRow({.kind = RowKind::Choice,
                    .labelId = label,
                    .element = element,
                    .attribute = "enable",
                    .flags = ITEM_INDENT,
                    .conditions = highDefinition,
                    .choices = {{IDS_YES, "true"}, {IDS_NO, "false"}}});
        };
        if (ltc)
            yesNo(IDS_ANCILLARY_LTC, "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/"
                                     "VideoOutputComponent/@id]/VideoOutputAncLtc");
        if (vitc)
            yesNo(IDS_ANCILLARY_VITC, "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/"
                                      "VideoOutputComponent/@id]/VideoOutputAncVitc");
    });
}
