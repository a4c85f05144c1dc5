// The "Recorder Setup:" group of a recording channel: input format, compression family,
// the MPEG settings (long GOP, chroma, data rates, VBI), the D10 and XDCAM rates and noise
// reduction. What is offered follows the channel's video codec element.

#include "ChannelDlg.h"
#include "ConfigVbiItem.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <algorithm>

using namespace ChannelPath;
using namespace VideoFormat;

// The channel's video codec, named through the channel so that no id is spelled into a path.
#define CODEC "//VideoCodec[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoCodecComponent/@id]"

namespace {

constexpr const char* kMpeg = CODEC "/Mpeg";
constexpr const char* kCompression = CODEC "/@compressionFormat";
constexpr const char* kChroma = CODEC "/Mpeg/@chromaFormat";
constexpr const char* kVbi = CODEC "/UncompressedVbi";
constexpr std::uint32_t kRecordRow = ITEM_INDENT;

const std::vector<RowCondition> kStandardInput = {ShownIfAny(kInputFormat, k525),
                                                  ShownIfAny(kInputFormat, k625)};

RowSpec inputFormatRow(const char* standard, int sdLabel, const char* sd, const char* p720,
                       const char* i1080) {
    // The offers are read from the 59.94 Hz format elements for both standards.
    return {.kind = RowKind::Choice,
            .labelId = IDS_VIDEO_INPUT_FORMAT,
            .element = kInput,
            .attribute = "videoInputFormat",
            .flags = kRecordRow | ITEM_RELAYOUT,
            .interlock = INTERLOCK_LOADED_CHANNEL,
            .conditions = {ShownIf(kReferenceStandard, standard)},
            .choices = {{sdLabel, sd},
                        {IDS_720P, p720, "VideoInputFormat/Format720_59_94Hz_1To1"},
                        {IDS_1080I, i1080, "VideoInputFormat/Format1080_29_97Hz_2To1"}}};
}

RowSpec compressionRow(std::vector<const char*> formats, std::vector<RowChoice> choices) {
    RowSpec row{.kind = RowKind::Choice,
                .labelId = IDS_COMPRESSION_FORMAT,
                .element = CODEC,
                .attribute = "compressionFormat",
                .flags = kRecordRow | ITEM_RELAYOUT,
                .interlock = INTERLOCK_RECORD_ANY,
                .choices = std::move(choices)};
    const std::vector<RowCondition> shown = ShownIfAnyOf(kInputFormat, formats);
    row.conditions.insert(row.conditions.end(), shown.begin(), shown.end());
    return row;
}

const std::vector<RowSpec>& compressionRows() {
    static const std::vector<RowSpec> rows = {
        compressionRow({k525, k625, kXga_59, kXga_50, kWxga_59, kWxga_50},
                       {{IDS_DV25, "Dv25", "Dv25"},
                        {IDS_DV50, "Dv50", "Dv50"},
                        {IDS_MPEG, "Mpeg", "Mpeg"},
                        {IDS_MPEG_D10, "D10", "D10"},
                        {IDS_DVCAM, "Dvcam", "Dvcam"}}),
        compressionRow({k720_59, k720_50}, {{IDS_MPEG, "Mpeg", "Mpeg"},
                                            {IDS_MPEG_XDCAM_HD422, "Xdcam422", "Xdcam"},
                                            {IDS_MPEG_XDCAM_EX, "XdcamEx", "Xdcam"}}),
        compressionRow({k1080_29, k1080_25}, {{IDS_MPEG, "Mpeg", "Mpeg"},
                                              {IDS_MPEG_XDCAM_HD, "Xdcam", "Xdcam"},
                                              {IDS_MPEG_XDCAM_HD422, "Xdcam422", "Xdcam"},
                                              {IDS_MPEG_XDCAM_EX, "XdcamEx", "Xdcam"}}),
    };
    return rows;
}

} // namespace

bool CChannelDlg::CompressionOffered(const std::string& inputFormat,
                                     const std::string& compression) {
    const auto lists = [&](const RowSpec& row) {
        return std::any_of(row.choices.begin(), row.choices.end(),
                           [&](const RowChoice& choice) { return choice.value == compression; });
    };
    const auto shownFor = [&](const RowSpec& row) {
        return std::any_of(row.conditions.begin(), row.conditions.end(),
                           [&](const RowCondition& shown) { return shown.value == inputFormat; });
    };
    const std::vector<RowSpec>& rows = compressionRows();
    if (std::none_of(rows.begin(), rows.end(), lists))
        return true; // a value of no family is not this program's to judge
    const auto row = std::find_if(rows.begin(), rows.end(), shownFor);
    return row == rows.end() || lists(*row);
}

namespace {

// An MPEG data-rate slider for one chroma format and the listed input formats.
RowSpec rateSlider(int labelId, const char* chroma, std::vector<const char*> formats,
                   RowRange range) {
    RowSpec row{.kind = RowKind::Slider,
                .labelId = labelId,
                .element = kMpeg,
                .attribute = "dataRate",
                .flags = kRecordRow,
                .interlock = INTERLOCK_RECORD_CHANNEL,
                .conditions = {ShownIf(kCompression, "Mpeg"), ShownIf(kChroma, chroma)},
                .range = range};
    row.range.units = "Mb/s";
    const std::vector<RowCondition> shown = ShownIfAnyOf(kInputFormat, formats);
    row.conditions.insert(row.conditions.end(), shown.begin(), shown.end());
    return row;
}

const std::vector<RowSpec>& rateRows(bool fastStandardDefinition) {
    static const auto rows = [](bool fast) {
        return std::vector<RowSpec>{
            rateSlider(IDS_RECORDING_DATA_RATE_420, "4_2_0", {k525, k625},
                       {2, 15, 15, "2Mb/s", "", "15Mb/s"}),
            rateSlider(IDS_RECORDING_DATA_RATE_420, "4_2_0", {k1080_29, k1080_25},
                       {20, 50, 80, "20Mb/s", "50Mb/s", "80Mb/s", 10}),
            rateSlider(IDS_RECORDING_DATA_RATE_420, "4_2_0", {k720_59, k720_50},
                       {12, 50, 80, "12Mb/s", "", "80Mb/s", 10}),
            fast ? rateSlider(IDS_RECORDING_DATA_RATE_422, "4_2_2", {k525, k625},
                              {4, 25, 50, "4Mb/s", "25Mb/s", "50Mb/s", 10})
                 : rateSlider(IDS_RECORDING_DATA_RATE_422, "4_2_2", {k525, k625},
                              {4, 25, 25, "4Mb/s", "", "25Mb/s", 10}),
            rateSlider(IDS_RECORDING_DATA_RATE_422, "4_2_2", {k1080_29, k1080_25, k720_59, k720_50},
                       {20, 50, 100, "20Mb/s", "60Mb/s", "100Mb/s", 10}),
        };
    };
    static const std::vector<RowSpec> fast = rows(true);
    static const std::vector<RowSpec> slow = rows(false);
    return fastStandardDefinition ? fast : slow;
}

const RowSpec kCompressVbiRow = {
    .kind = RowKind::Choice,
    .labelId = IDS_COMPRESS_VBI,
    .element = kMpeg,
    .attribute = "recordVbi",
    .flags = kRecordRow | ITEM_RELAYOUT,
    .interlock = INTERLOCK_RECORD_CHANNEL,
    .conditions = {ShownIf(kCompression, "Mpeg"), ShownIf(kChroma, "4_2_2"),
                   ShownIfAny(kInputFormat, k525), ShownIfAny(kInputFormat, k625)},
    .choices = {{IDS_YES_ACTIVE_PICTURE_PLUS_VBI, "true"}, {IDS_NO_ACTIVE_PICTURE_ONLY, "false"}}};

const std::vector<RowSpec>& familyRateRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Choice,
         .labelId = IDS_RECORDING_DATA_RATE_D10_XDCAM,
         .element = CODEC "/D10",
         .attribute = "dataRate",
         .flags = kRecordRow,
         .interlock = INTERLOCK_RECORD_CHANNEL,
         .conditions = {ShownIf(kCompression, "D10")},
         .choices = {{IDS_30_MBPS, "30"}, {IDS_40_MBPS, "40"}, {IDS_50_MBPS, "50"}}},
        {.kind = RowKind::Choice,
         .labelId = IDS_RECORDING_DATA_RATE_D10_XDCAM,
         .element = CODEC "/Xdcam",
         .attribute = "dataRate",
         .flags = kRecordRow,
         .interlock = INTERLOCK_RECORD_CHANNEL,
         .conditions = {ShownIf(kCompression, "Xdcam")},
         .choices = {{IDS_25_MBPS, "25"}, {IDS_35_MBPS, "35"}}},
    };
    return rows;
}

const RowSpec kNoiseReductionRow = {
    .kind = RowKind::Choice,
    .labelId = IDS_VIDEO_NOISE_REDUCTION,
    .element = CODEC "/EncoderPrefilter",
    .attribute = "noiseReduction",
    .flags = kRecordRow,
    .interlock = INTERLOCK_RECORD_CHANNEL,
    .choices = {
        {IDS_NONE, "Bypass"}, {IDS_LOW, "Low"}, {IDS_MEDIUM, "Medium"}, {IDS_HIGH, "High"}}};

} // namespace

HRESULT CChannelDlg::CreateCompressionConfig(XmlDocument* document) {
    CTraceScope scope("CChannelDlg::CreateCompressionConfig");
    return scope.Run([&] {
        XmlNode codec;
        const HRESULT selected =
            document ? document->documentNode().selectSingleNode(path(CODEC), codec) : S_FALSE;
        if (FAILED(selected))
            scope.Fail(selected, __FILE__, __LINE__, "%s", "Could not select the video codec");
        if (selected != S_OK) {
            scope.SetStatus(S_FALSE); // no codec: nothing to build
            return;
        }
        AddRow({.kind = RowKind::Heading, .labelId = IDS_RECORDER_SETUP, .flags = ITEM_UNBOUND});
        if (IsHighDefinitionProfile(m_profileLevel)) {
            AddRow(inputFormatRow(k525, IDS_NTSC_SD, k525, k720_59, k1080_29));
            AddRow(inputFormatRow(k625, IDS_PAL_SD, k625, k720_50, k1080_25));
        }
        AddRows(compressionRows());
        if (m_profileLevel != "MP@ML") {
            auto* longGop = static_cast<CConfigChoiceItem*>(
                AddRow({.kind = RowKind::Choice,
                        .labelId = IDS_LONG_GOP,
                        .element = kMpeg,
                        .flags = kRecordRow,
                        .interlock = INTERLOCK_RECORD_CHANNEL,
                        .conditions = {ShownIf(kCompression, "Mpeg")}}));
            useAccessors(*longGop, &CChannelDlg::GetCustomMpegLongGop,
                         &CChannelDlg::PutCustomMpegLongGop);
        }
        if (m_profileLevel != "MP@ML" && m_profileLevel != "MP@HL")
            AddRow({.kind = RowKind::Choice,
                    .labelId = IDS_CHROMA_FORMAT,
                    .element = kMpeg,
                    .attribute = "chromaFormat",
                    .flags = kRecordRow | ITEM_RELAYOUT,
                    .interlock = INTERLOCK_RECORD_CHANNEL,
                    .conditions = {ShownIf(kCompression, "Mpeg")},
                    .choices = {{IDS_4_2_0, "4_2_0"}, {IDS_4_2_2, "4_2_2"}}});
        // The standard-definition 4:2:2 ceiling is the codec's own, as the rules clamp it.
        AddRows(rateRows(Sd422MaximumRate(codec) == 50));
        AddRow(kCompressVbiRow);
        CreateUncompressedVbiConfig(codec);
        AddRows(familyRateRows());
        if (!codec.selectSingleNode("EncoderPrefilter").isNull())
            AddRow(kNoiseReductionRow);
    });
}

void CChannelDlg::CreateUncompressedVbiConfig(const XmlNode& codec) {
    const XmlNode vbi = codec.selectSingleNode("UncompressedVbi");
    if (vbi.isNull())
        return;
    const bool chromaCapable = vbi.attribute("chromaCapable") == "true";
    const int label =
        chromaCapable ? IDS_UNCOMPRESSED_VBI_LINES : IDS_UNCOMPRESSED_VBI_LINES_LUMA_ONLY;
    const unsigned kind = chromaCapable ? CConfigVbiItem::LumaAndChroma : CConfigVbiItem::LumaOnly;
    // With 4:2:2 the lines are kept apart only while the VBI is not compressed with the
    // picture.
    const std::vector<std::vector<RowCondition>> conditions = {
        {ShownIf(CODEC "/Mpeg/@recordVbi", "false"),
         ShownIf(CODEC "/UncompressedVbi/@enable", "true"), ShownIf(kCompression, "Mpeg"),
         ShownIf(kChroma, "4_2_2")},
        {ShownIf(kCompression, "Mpeg"), ShownIf(CODEC "/UncompressedVbi/@enable", "true"),
         ShownIf(kChroma, "4_2_0")}};
    for (const auto& shownIf : conditions)
        addVbiRow(label, path(kVbi), kind, shownIf, kStandardInput);
}

CChannelDlg::LongGop CChannelDlg::GetMpegLongGopStruct() const {
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    return GetMpegLongGopStruct(document ? document->documentNode() : XmlNode());
}

CChannelDlg::LongGop CChannelDlg::GetMpegLongGopStruct(const XmlNode& root) const {
    std::string chroma = "4_2_2";
    ReadXPathValue(root, path(kChroma), chroma);
    const bool twoB =
        m_profileLevel == "422P@HL" || (m_profileLevel == "422P@ML" && chroma == "4_2_0");
    return LongGop{4, twoB ? 2 : 1};
}

HRESULT CChannelDlg::GetCustomMpegLongGop(XmlDocument* document, CConfigItem& item, std::intptr_t,
                                          Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustomMpegLongGop");
    return scope.Run([&] {
        const XmlNode root = document ? document->documentNode() : XmlNode();
        const LongGop gop = GetMpegLongGopStruct(root);
        std::string pattern = "I" + std::string(static_cast<std::size_t>(gop.bPerP), 'B');
        for (int i = 0; i < gop.pPerI; ++i)
            pattern += "P" + std::string(static_cast<std::size_t>(gop.bPerP), 'B');
        std::string yes = LoadString(IDS_YES_GOP_PATTERN);
        if (const std::size_t at = yes.find("%1!s!"); at != std::string::npos)
            yes.replace(at, 5, pattern);
        if (auto* choices = dynamic_cast<CConfigChoiceItem*>(&item)) {
            choices->RemoveAllChoices();
            choices->AddChoice(yes, Variant("true"));
            choices->AddChoice(IDS_NO_I_FRAME_ONLY, Variant("false"));
        }
        std::int32_t pPerI = 0;
        std::int32_t bPerP = 0;
        ReadXPathTypedValue(root, path(kMpeg) + "/@pPixPerIPix", pPerI);
        ReadXPathTypedValue(root, path(kMpeg) + "/@bPixPerPPix", bPerP);
        value = Variant(pPerI != 0 || bPerP != 0 ? "true" : "false");
    });
}

HRESULT CChannelDlg::PutCustomMpegLongGop(const Variant& value, XmlDocument*, CConfigItem& item,
                                          std::intptr_t) {
    CTraceScope scope("CChannelDlg::PutCustomMpegLongGop");
    return scope.Run([&] {
        const LongGop gop = GetMpegLongGopStruct();
        const bool on = value.toText() == "true";
        std::string element;
        std::string attribute;
        item.GetXPath(element, attribute);
        CConfigState state;
        scope.Check(state.PutAttributeValue(
            element, "pPixPerIPix", Variant(std::int32_t{on ? gop.pPerI : 0}), false, true));
        scope.Check(state.PutAttributeValue(
            element, "bPixPerPPix", Variant(std::int32_t{on ? gop.bPerP : 0}), false, true));
    });
}
