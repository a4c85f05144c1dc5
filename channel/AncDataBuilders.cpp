// The data track of a recording channel (ancillary data, VBI lines and teletext kept in a
// track of their own), the AFD output setting, and their change rules.

#include "ChannelDlg.h"
#include "ConfigVbiItem.h"

#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

using namespace ChannelPath;
using namespace VideoFormat;

#define ANC_CODEC                                                                                  \
    "//AncDataCodec[@id=//Channel[@channelIndex=\"%d\"]/AncData/AncDataCodecComponent/@id]"

namespace {

constexpr const char* kAncData = "//Channel[@channelIndex=\"%d\"]/AncData";
constexpr const char* kAssigned = "//Channel[@channelIndex=\"%d\"]/AncData/@assigned";
constexpr const char* kDataVbiEnabled = ANC_CODEC "/UncompressedVbi/@enable";
constexpr const char* kVideoVbi =
    "//VideoCodec[@id=//Channel[@channelIndex=\"%d\"]/Video/VideoCodecComponent/@id]/"
    "UncompressedVbi";

const std::vector<RowSpec>& dataTrackRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Heading,
         .labelId = IDS_DATA_TRACK,
         .flags = ITEM_UNBOUND | ITEM_SEPARATOR},
        {.kind = RowKind::Choice,
         .labelId = IDS_RECORD_ANCILLARY_DATA,
         .element = kAncData,
         .attribute = "assigned",
         .flags = ITEM_INDENT | ITEM_RELAYOUT,
         .interlock = INTERLOCK_RECORD_CHANNEL,
         .choices = {{IDS_YES, "true"}, {IDS_NO, "false"}}},
        {.kind = RowKind::Choice,
         .labelId = IDS_RECORD_UNCOMPRESSED_VBI_AND_CAPTIONING_TO_DATA_TRACK,
         .element = ANC_CODEC "/UncompressedVbi",
         .attribute = "enable",
         .flags = ITEM_INDENT | ITEM_RELAYOUT,
         .interlock = INTERLOCK_RECORD_CHANNEL,
         .conditions = {ShownIf(kAssigned, "true"), ShownIfAny(kInputFormat, k525),
                        ShownIfAny(kInputFormat, k625)},
         .choices = {{IDS_YES, "true"}, {IDS_NO_QUARN_COMPATIBLE, "false"}}},
    };
    return rows;
}

} // namespace

CConfigVbiItem* CChannelDlg::addVbiRow(int labelId, const std::string& element, unsigned kind,
                                       const std::vector<RowCondition>& shownIf,
                                       const std::vector<RowCondition>& shownIfAny) {
    auto* item = new CConfigVbiItem(labelId, element, "", kind, ITEM_INDENT, this);
    for (const RowCondition& condition : shownIf)
        item->ShowIf(path(condition.xpath), Variant(condition.value));
    for (const RowCondition& condition : shownIfAny)
        item->ShowIfAny(path(condition.xpath), Variant(condition.value));
    item->SetInterlock(INTERLOCK_RECORD_CHANNEL, m_channelIndex);
    item->SetGetCallback(&CConfigVbiItem::GetCustomVbiLines, 0);
    m_list->AddItem(item);
    return item;
}

HRESULT CChannelDlg::CreateAncDataConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAncDataConfig");
    return scope.Run([&] {
        if (!m_flags.ancData)
            return;
        AddRows(dataTrackRows());
        const XmlNode vbi = root().selectSingleNode(path(ANC_CODEC "/UncompressedVbi"));
        if (vbi.isNull())
            return; // no data track codec: nothing more to choose
        const bool chromaCapable = vbi.attribute("chromaCapable") == "true";
        const std::vector<RowCondition> kept = {ShownIf(kDataVbiEnabled, "true"),
                                                ShownIf(kAssigned, "true")};
        addVbiRow(chromaCapable ? IDS_UNCOMPRESSED_VBI_LINES : IDS_UNCOMPRESSED_VBI_LINES_LUMA_ONLY,
                  path(ANC_CODEC "/UncompressedVbi"),
                  chromaCapable ? CConfigVbiItem::LumaAndChroma : CConfigVbiItem::LumaOnly, kept,
                  {ShownIfAny(kInputFormat, k525), ShownIfAny(kInputFormat, k625)});
        std::vector<RowCondition> teletext = kept;
        teletext.push_back(ShownIf(kInputFormat, k625));
        addVbiRow(IDS_TELETEXT_LINES, path(ANC_CODEC "/TeleText"), CConfigVbiItem::TeleText,
                  teletext, {});
    });
}

HRESULT CChannelDlg::CreateAfdOutputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAfdOutputConfig");
    return scope.Run([&] {
        if (!exists(path(ANC_CODEC "/Afd")))
            return;
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_AFD_SETTINGS,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR});
        AddRow({.kind = RowKind::Choice,
                .labelId = IDS_GENERATE_AFD_ON_OUTPUT,
                .element = ANC_CODEC "/Afd",
                .attribute = "generateOnOutput",
                .flags = ITEM_INDENT | ITEM_RELAYOUT,
                .choices = {
                    {IDS_ALWAYS, "Always"}, {IDS_WHEN_KNOWN, "WhenKnown"}, {IDS_NEVER, "Never"}}});
    });
}

void CChannelDlg::OnAncDataChange(CTraceScope& scope, CConfigItem& item,
                                  const std::string& record) {
    // The video keeps its own VBI lines unless the data track records them with teletext.
    std::string enable = "true";
    if (record != "false") {
        std::string teletext = "false";
        ReadXPathValue(root(), path(ANC_CODEC "/TeleText/@enable"), teletext);
        enable = teletext == "true" ? "false" : "true";
    }
    writeAsItem(scope, path(kVideoVbi), "enable", Variant(enable), item);
}

void CChannelDlg::OnDataTrackVbiChange(CTraceScope& scope, CConfigItem& item,
                                       const std::string& record) {
    // VBI and captions go to the data track or stay with the video, never both.
    writeAsItem(scope, path(ANC_CODEC "/TeleText"), "enable", Variant(record), item);
    writeAsItem(scope, path(kVideoVbi), "enable", Variant(record == "true" ? "false" : "true"),
                item);
}
