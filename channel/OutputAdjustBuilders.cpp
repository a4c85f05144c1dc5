// The output adjustments of a playing channel: the composite ProcAmp sliders and the
// output timing offsets. Several timing sliders share one attribute and differ in range
// and visibility; for a given output format at most one of them shows.

#include "ChannelDlg.h"

#include "items/ConfigItem.h"
#include "platform/StringIds.h"
#include "state/TraceScope.h"

using namespace ChannelPath;
using namespace VideoFormat;

namespace {

constexpr const char* kProcAmp = "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/"
                                 "VideoOutputComponent/@id]/VideoOutputAnalogComposite/ProcAmp";
constexpr const char* kTiming = "//VideoOutput[@id=//Channel[@channelIndex=\"%d\"]/Video/"
                                "VideoOutputComponent/@id]/VideoOutputTiming";
constexpr std::uint32_t kLiveRow = ITEM_INDENT | ITEM_LIVE;

const std::vector<RowCondition> kStandardDefinition = {ShownIfAny(kOutputFormat, k525),
                                                       ShownIfAny(kOutputFormat, k625)};

RowSpec procAmpSlider(int labelId, const char* attribute, RowRange range) {
    return {.kind = RowKind::Slider,
            .labelId = labelId,
            .element = kProcAmp,
            .attribute = attribute,
            .flags = kLiveRow,
            .conditions = kStandardDefinition,
            .range = range};
}

const std::vector<RowSpec>& procAmpRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Heading,
         .labelId = IDS_PROCAMP_CONTROL_COMPOSITE_OUTPUT,
         .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
         .conditions = kStandardDefinition},
        procAmpSlider(IDS_VIDEO_GAIN, "videoGain", {0, 128, 255, "0", "128", "255", 16}),
        procAmpSlider(IDS_CHROMA_GAIN, "chromaGain", {0, 128, 255, "0", "128", "255", 16}),
        procAmpSlider(IDS_CHROMA_PHASE, "chromaPhase", {-127, 0, 128, "-127", "0", "128", 16}),
        procAmpSlider(IDS_BLACK_LEVEL, "blackLevel", {0, 0, 15, "0 (default)", "", "15", 4}),
        procAmpSlider(IDS_SHARPNESS, "sharpness", {0, 6, 12, "0", "6", "12", 1}),
    };
    return rows;
}

// A timing slider shown for the listed output formats; built only when the flag (if any)
// is set.
RowSpec timingSlider(int labelId, const char* attribute, std::vector<const char*> formats,
                     RowRange range, bool ChannelFlags::*builtIf = nullptr) {
    RowSpec row{.kind = RowKind::Slider,
                .labelId = labelId,
                .element = kTiming,
                .attribute = attribute,
                .flags = kLiveRow,
                .range = range,
                .builtIf = builtIf};
    for (const char* format : formats)
        row.conditions.push_back(formats.size() == 1 ? ShownIf(kOutputFormat, format)
                                                     : ShownIfAny(kOutputFormat, format));
    return row;
}

constexpr bool ChannelFlags::*kComposite = &ChannelFlags::outputComposite;

const std::vector<RowSpec>& standardTimingRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Heading,
         .labelId = IDS_VIDEO_OUTPUT_TIMING,
         .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
         .conditions = kStandardDefinition},
        timingSlider(IDS_FRAME_OFFSET, "videoFieldOffset", {k525},
                     {0, 0, 1, "0 (default)", "", "1", 1, "frames"}, kComposite),
        timingSlider(IDS_LINE_OFFSET_COARSE, "videoLineOffset", {k525},
                     {0, 0, 524, "0 (default)", "", "524", 25, "lines"}),
        timingSlider(IDS_SAMPLE_OFFSET_FINE, "videoSampleOffset", {k525},
                     {0, 0, 1715, "0 (default)", "", "1715", 858, "samples"}),
        timingSlider(IDS_FRAME_OFFSET, "videoFieldOffset", {k625},
                     {0, 0, 3, "0 (default)", "", "3", 1, "frames"}, kComposite),
        timingSlider(IDS_LINE_OFFSET_COARSE, "videoLineOffset", {k625},
                     {0, 0, 624, "0 (default)", "", "624", 25, "lines"}),
        timingSlider(IDS_SAMPLE_OFFSET_FINE, "videoSampleOffset", {k625},
                     {0, 0, 1727, "0 (default)", "", "1727", 864, "samples"}),
        timingSlider(IDS_ANALOG_SUB_PIXEL_OFFSET_SC, "videoSubpixelOffset", {k525, k625},
                     {0, 5, 255, "0", "", "255", 16}, kComposite),
    };
    return rows;
}

const std::vector<RowSpec>& highDefinitionTimingRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Heading,
         .labelId = IDS_VIDEO_OUTPUT_TIMING,
         .flags = ITEM_UNBOUND | ITEM_SEPARATOR,
         .conditions = {ShownIfAny(kOutputFormat, k1080_29), ShownIfAny(kOutputFormat, k1080_25),
                        ShownIfAny(kOutputFormat, k720_59), ShownIfAny(kOutputFormat, k720_50)}},
        timingSlider(IDS_LINE_OFFSET_COARSE, "videoLineOffset", {k1080_29, k1080_25},
                     {0, 0, 1124, "0 (default)", "", "1124", 15, "lines"}),
        timingSlider(IDS_LINE_OFFSET_COARSE, "videoLineOffset", {k720_59, k720_50},
                     {0, 0, 749, "0 (default)", "", "749", 12, "lines"}),
        timingSlider(IDS_SAMPLE_OFFSET_FINE, "videoSampleOffset", {k1080_29},
                     {0, 0, 2199, "0 (default)", "", "2199", 1000, "samples"}),
        timingSlider(IDS_SAMPLE_OFFSET_FINE, "videoSampleOffset", {k1080_25},
                     {0, 0, 2639, "0 (default)", "", "2639", 880, "samples"}),
        timingSlider(IDS_SAMPLE_OFFSET_FINE, "videoSampleOffset", {k720_59},
                     {0, 0, 1649, "0 (default)", "", "1649", 550, "samples"}),
        timingSlider(IDS_SAMPLE_OFFSET_FINE, "videoSampleOffset", {k720_50},
                     {0, 0, 1979, "0 (default)", "", "1979", 660, "samples"}),
    };
    return rows;
}

} // namespace

HRESULT CChannelDlg::CreateOutputProcAmpConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateOutputProcAmpConfig");
    return scope.Run([&] {
        if (exists(path(kProcAmp)))
            AddRows(procAmpRows());
    });
}

HRESULT CChannelDlg::CreateOutputTimingConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateOutputTimingConfig");
    return scope.Run([&] {
        AddRows(standardTimingRows());
        if (m_profileLevel == "422P@HL")
            AddRows(highDefinitionTimingRows());
    });
}
