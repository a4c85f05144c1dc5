// The video output groups of a playing channel: output type and format, output mode, and
// the output pedestal accessors.

#include "ChannelDlg.h"

#include "items/ConfigItem.h"
#include "platform/StringIds.h"
#include "state/TraceScope.h"

using namespace ChannelPath;
using namespace VideoFormat;

namespace {

// The output formats a high-definition codec may play, for one reference standard. The
// offers are read from the 59.94 Hz format elements for both standards.
RowSpec outputFormatRow(const char* standard, int sdLabel, const char* sd, const char* xga,
                        const char* wxga, const char* p720, const char* i1080) {
    return {.kind = RowKind::Choice,
            .labelId = IDS_VIDEO_OUTPUT_FORMAT,
            .element = kOutput,
            .attribute = "videoOutputFormat",
            .flags = ITEM_INDENT | ITEM_RELAYOUT,
            .interlock = INTERLOCK_LOADED_CHANNEL,
            .conditions = {ShownIf(kReferenceStandard, standard)},
            .choices = {{sdLabel, sd},
                        {IDS_XGA_1024X768, xga, nullptr, &ChannelFlags::outputXga},
                        {IDS_WXGA_1365X768, wxga, nullptr, &ChannelFlags::outputWxga},
                        {IDS_720P, p720, nullptr, &ChannelFlags::output720},
                        {IDS_1080I_1920X1080, i1080, nullptr, &ChannelFlags::output1080}}};
}

const std::vector<RowSpec>& formatRows() {
    static const std::vector<RowSpec> rows = {
        outputFormatRow(k525, IDS_NTSC_SD, k525, kXga_59, kWxga_59, k720_59, k1080_29),
        outputFormatRow(k625, IDS_PAL_SD, k625, kXga_50, kWxga_50, k720_50, k1080_25),
        {.kind = RowKind::Choice,
         .labelId = IDS_ASPECT_RATIO,
         .element = kOutput,
         .attribute = "aspectRatio",
         .flags = ITEM_INDENT,
         .conditions = {ShownIfAny(kOutputFormat, k525), ShownIfAny(kOutputFormat, k625),
                        ShownIfAny(kOutputFormat, kXga_59), ShownIfAny(kOutputFormat, kXga_50)},
         .choices = {{IDS_STANDARD_4_3, "4:3"}, {IDS_WIDESCREEN_16_9, "16:9"}},
         .builtIf = &ChannelFlags::outputXga},
        {.kind = RowKind::Choice,
         .labelId = IDS_ASPECT_RATIO_CONVERSION,
         .element = kOutput,
         .attribute = "aspectRatioConversion",
         .flags = ITEM_INDENT,
         .choices = {{IDS_BAR, "Bars"},
                     {IDS_CROP, "Crop"},
                     {IDS_HALF_BAR, "HalfBars"},
                     {IDS_STRETCH, "Stretch"}}},
    };
    return rows;
}

constexpr const char* kOutputComponent = "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/"
                                         "VideoOutputComponent/@id]/VideoOutputAnalogComponent";

const std::vector<RowSpec>& componentTypeRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Choice,
         .labelId = IDS_OUTPUT_COMPONENT_TYPE,
         .element = kOutputComponent,
         .attribute = "sdComponentType",
         .flags = ITEM_INDENT,
         .conditions = {ShownIfAny(kOutputFormat, k525), ShownIfAny(kOutputFormat, k625)},
         .choices = {{IDS_RGB, "SMPTE253M"}, {IDS_Y_PB_PR, "EBU_N10"}}},
        {.kind = RowKind::Choice,
         .labelId = IDS_OUTPUT_COMPONENT_TYPE,
         .element = kOutputComponent,
         .attribute = "hdComponentType",
         .flags = ITEM_INDENT,
         .conditions = {ShownIfAny(kOutputFormat, k1080_29), ShownIfAny(kOutputFormat, k1080_25)},
         .choices = {{IDS_SMPTE_274M_RGB, "SMPTE_RGB"}, {IDS_SMPTE_274M_YUV, "SMPTE_YUV"}}},
        {.kind = RowKind::Choice,
         .labelId = IDS_OUTPUT_COMPONENT_TYPE,
         .element = kOutputComponent,
         .attribute = "hdComponentType",
         .flags = ITEM_INDENT,
         .conditions = {ShownIfAny(kOutputFormat, kXga_59), ShownIfAny(kOutputFormat, kXga_50),
                        ShownIfAny(kOutputFormat, kWxga_59), ShownIfAny(kOutputFormat, kWxga_50)},
         .choices = {{IDS_RGBHV, "VESA"}}},
    };
    return rows;
}

const RowSpec& outputPedestalRow() {
    static const RowSpec row = {.kind = RowKind::Choice,
                                .labelId = IDS_OUTPUT_PEDESTAL,
                                .element = kOutput,
                                .attribute = "ntscWithoutPedestal",
                                .flags = ITEM_INDENT | ITEM_LIVE,
                                .conditions = {ShownIf(kOutputFormat, k525)},
                                .choices = {{IDS_ON, "false"}, {IDS_OFF, "true"}},
                                .builtIf = &ChannelFlags::outputComposite};
    return row;
}

} // namespace

HRESULT CChannelDlg::CreateVideoOutputTypeConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateVideoOutputTypeConfig");
    return scope.Run([&] {
        CConfigItem* heading =
            AddRow({.kind = RowKind::Heading, .labelId = IDS_VIDEO_OUTPUT, .flags = ITEM_UNBOUND});
        // The line separates the output groups from the input groups above them.
        heading->SetSeparator(m_channelType == "PlayerRecorder");
        if (IsHighDefinitionProfile(m_profileLevel))
            AddRows(formatRows());
        if (exists(path(kOutputComponent)))
            AddRows(componentTypeRows());
        if (CConfigItem* pedestal = AddRow(outputPedestalRow()))
            useAccessors(*pedestal, &CChannelDlg::GetCustomOutputCompositeType,
                         &CChannelDlg::PutCustomOutputCompositeType);
    });
}

HRESULT CChannelDlg::CreateVideoOutputModeConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateVideoOutputModeConfig");
    return scope.Run([&] {
        // The first still-play choice depends on the output hardware.
        const bool interpolates = exists(path(kOutput) + "/VideoOutputInterpolation");
        AddRow({.kind = RowKind::Choice,
                .labelId = IDS_STILL_PLAY_MODE,
                .element = kOutput,
                .attribute = "stillPlayMode",
                .flags = ITEM_INDENT,
                .choices = {interpolates ? RowChoice{IDS_FIELD_INTERPOLATED, "Interpolated"}
                                         : RowChoice{IDS_FIELD_LINE_DOUBLED, "LineDouble"},
                            {IDS_FRAME_INTERLACED, "Interlaced"}}});
        AddRow({.kind = RowKind::Choice,
                .labelId = IDS_TEST_MODE_COLORBARS_TONE,
                .element = kOutput,
                .attribute = "testMode",
                .flags = ITEM_INDENT | ITEM_LIVE,
                .choices = {{IDS_ON, "true"}, {IDS_OFF, "false"}}});
    });
}

HRESULT CChannelDlg::GetCustomOutputCompositeType(XmlDocument* document, CConfigItem&,
                                                  std::intptr_t, Variant& value) {
    return getPedestal(document, "VideoOutput", value);
}

HRESULT CChannelDlg::PutCustomOutputCompositeType(const Variant& value, XmlDocument*,
                                                  CConfigItem& item, std::intptr_t) {
    return putPedestal("VideoOutput", value, item);
}
