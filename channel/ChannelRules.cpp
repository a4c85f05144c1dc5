// The change rules of a channel: after an item wrote its new value, they rewrite what
// depends on it. A rule that fails puts the document and the server back as they were
// before the change.

#include "ChannelDlg.h"

#include "items/ChangeUndo.h"
#include "items/ConfigItem.h"
#include "items/ConfigListCtrl.h"
#include "platform/Prompter.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/ConfigCheckpoint.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

using namespace ChannelPath;
using namespace VideoFormat;

namespace {

constexpr const char* kOutputOffsets[] = {"videoFieldOffset", "videoLineOffset",
                                          "videoSampleOffset", "videoSubpixelOffset"};

} // namespace

CChannelDlg::Rule CChannelDlg::RuleFor(int labelId) {
    switch (labelId) {
    case IDS_COMPRESSION_FORMAT:
        return &CChannelDlg::OnCompressionChange;
    case IDS_CHROMA_FORMAT:
        return &CChannelDlg::OnChromaChange;
    case IDS_COMPRESS_VBI:
        return &CChannelDlg::OnCompressVbiChange;
    case IDS_VIDEO_INPUT_FORMAT:
        return &CChannelDlg::OnInputFormatChange;
    case IDS_VIDEO_OUTPUT_FORMAT:
        return &CChannelDlg::OnOutputFormatChange;
    case IDS_TEST_MODE_COLORBARS_TONE:
        return &CChannelDlg::OnTestModeChange;
    case IDS_AUDIO_INPUT_TRIM:
        return &CChannelDlg::OnTrimChange;
    case IDS_RECORD_ANCILLARY_DATA:
        return &CChannelDlg::OnAncDataChange;
    case IDS_RECORD_UNCOMPRESSED_VBI_AND_CAPTIONING_TO_DATA_TRACK:
        return &CChannelDlg::OnDataTrackVbiChange;
    case IDS_TAG_INPUT:
    case IDS_ADD_TAG_INPUT:
    case IDS_TAG_OUTPUT:
    case IDS_ADD_TAG_OUTPUT:
        return &CChannelDlg::OnTagChange;
    default:
        return nullptr;
    }
}

LRESULT CChannelDlg::OnItemChange(WPARAM labelId, CConfigItem* item) {
    CTraceScope scope("CChannelDlg::OnItemChange");
    const Rule rule = RuleFor(static_cast<int>(labelId));
    if (!item || !rule || !CConfigState().HasDocument())
        return 0;
    ConfigCheckpoint checkpoint;
    Variant value;
    item->GetAttributeValue(value);
    const HRESULT applied = scope.Run([&] { (this->*rule)(scope, *item, value.toText()); });
    if (SUCCEEDED(applied))
        return 0;

    // No half-applied rule: the document and the server go back to before the change, and
    // the item's own write with them. A rule may have rebuilt the rows, the changed one
    // with them.
    const bool stillListed = m_list && m_list->Contains(item);
    UndoFailedChange(checkpoint, stillListed ? item : nullptr, ComErrorText(applied),
                     stillListed ? item->Label() : std::string(), this);
    if (m_list)
        m_list->Relayout(true);
    return 0;
}

void CChannelDlg::OnOutputFormatChange(CTraceScope& scope, CConfigItem&,
                                       const std::string& format) {
    CConfigState state;
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    const XmlNode root = document->documentNode();
    const std::string output = path(kOutput);
    const std::string component = output + "/VideoOutputAnalogComponent";

    std::string componentType;
    ReadXPathValue(root, component + "/@hdComponentType", componentType);
    if (Is1080(format) && componentType == "VESA")
        scope.Check(state.PutAttributeValue(component, "hdComponentType", Variant("SMPTE_YUV"),
                                            false, true));
    if (IsXgaOrWxga(format) && componentType != "VESA")
        scope.Check(
            state.PutAttributeValue(component, "hdComponentType", Variant("VESA"), false, true));

    // Offsets of one format mean nothing in another: they start again from 0.
    const std::string timing = output + "/VideoOutputTiming";
    const XmlNode timingElement = root.selectSingleNode(timing);
    if (timingElement.isNull())
        return;
    for (const char* offset : kOutputOffsets) {
        if (timingElement.hasAttribute(offset))
            scope.Check(
                state.PutAttributeValue(timing, offset, Variant(std::int32_t{0}), true, true));
    }
}

void CChannelDlg::OnTestModeChange(CTraceScope& scope, CConfigItem& item, const std::string& mode) {
    // The channel's audio outputs play tone while its video plays colour bars.
    for (const XmlNode& component : selectNodes(path(kChannel) + "/Audio/AudioOutputComponent"))
        writeAsItem(scope, "//AudioOutput[@id=" + XPathLiteral(component.attribute("id")) + "]",
                    "testMode", Variant(mode), item);
}

void CChannelDlg::OnTrimChange(CTraceScope& scope, CConfigItem& item, const std::string& trim) {
    // The trim row keeps its value in the item; this stores it on every analog input.
    for (std::size_t i = 0; i < m_audioInputIds.size(); ++i) {
        const std::string analog = audioInput(i) + "/AudioInputAnalog";
        if (exists(analog))
            writeAsItem(scope, analog, "trim", Variant(trim), item);
    }
}

void CChannelDlg::OnTagChange(CTraceScope&, CConfigItem& item, const std::string&) {
    // The editor wrote the tags; the rows that show them are built anew.
    const int label = item.GetLabelId();
    if (label == IDS_TAG_OUTPUT || label == IDS_ADD_TAG_OUTPUT)
        ShowHideAudioOutputTags();
    else
        ShowHideAudioInputTags();
}
