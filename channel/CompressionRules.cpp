// The change rules of the recorder setup rows: compression family, chroma format, VBI
// compression and input format. Writes are document only; the commit sends them.

#include "ChannelDlg.h"

#include "items/ConfigItem.h"
#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

using namespace ChannelPath;
using namespace VideoFormat;

namespace {

constexpr const char* kTcCodec =
    "//TcCodec[@id=//Channel[@channelIndex=\"%d\"]/Timecode/TcCodecComponent/@id]";
constexpr const char* kAncCodec =
    "//AncDataCodec[@id=//Channel[@channelIndex=\"%d\"]/AncData/AncDataCodecComponent/@id]";

} // namespace

void CChannelDlg::removeCodecVbiLines(CTraceScope& scope) {
    // Only this channel's own codec: other channels' lines and the data track's stay.
    const XmlNode vbi = root().selectSingleNode(path(kCodec) + "/UncompressedVbi");
    if (vbi.isNull())
        return;
    XmlNodeList lines;
    if (FAILED(vbi.selectNodes("VbiLine", lines)))
        scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not select the VBI lines");
    for (const XmlNode& line : lines) {
        if (!vbi.removeChild(line))
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not remove a VBI line");
    }
}

void CChannelDlg::OnCompressionChange(CTraceScope& scope, CConfigItem&, const std::string& format) {
    // These families carry no separate VBI lines.
    if (format == "D10" || format == "Xdcam" || format == "Xdcam422" || format == "XdcamEx")
        removeCodecVbiLines(scope);
    if (format != "Xdcam")
        return;
    std::int32_t rate = 0;
    ReadXPathTypedValue(root(), path(kCodec) + "/Xdcam/@dataRate", rate);
    if (rate != 25 && rate != 35)
        writeDocument(scope, path(kCodec) + "/Xdcam", "dataRate", Variant(std::int32_t{25}));
}

void CChannelDlg::clampMpegRate(CTraceScope& scope, const std::string& format,
                                const std::string& chroma) {
    const XmlNode codec = root().selectSingleNode(path(kCodec));
    std::int32_t rate = 0;
    ReadXPathTypedValue(codec, "Mpeg/@dataRate", rate);
    int clamped = rate;
    if (CheckVideoDataRate(format, chroma, rate, clamped, codec))
        writeDocument(scope, path(kCodec) + "/Mpeg", "dataRate",
                      Variant(static_cast<std::int32_t>(clamped)));
}

void CChannelDlg::OnChromaChange(CTraceScope& scope, CConfigItem&, const std::string& chroma) {
    std::string format = k525;
    ReadXPathValue(root(), m_inputFormatPath, format);
    clampMpegRate(scope, format, chroma);
    // The GOP structure depends on the chroma: write it again for the new one.
    if (CConfigItem* longGop = m_list->FindItem(IDS_LONG_GOP)) {
        Variant on;
        longGop->GetAttributeValue(on);
        if (on.toText() == "true")
            scope.Check(longGop->PutAttributeValue(Variant("true")));
    }
}

void CChannelDlg::OnCompressVbiChange(CTraceScope& scope, CConfigItem&,
                                      const std::string& compress) {
    // VBI compressed with the picture keeps no separate lines.
    if (compress == "true")
        removeCodecVbiLines(scope);
}

void CChannelDlg::OnInputFormatChange(CTraceScope& scope, CConfigItem& item,
                                      const std::string& format) {
    const std::string codec = path(kCodec);
    Variant before;
    item.GetPreviousValue(before);
    const std::string previous = before.toText();

    // A family the new input format cannot record falls back to MPEG: XDCAM-HD records
    // 1080 only, XDCAM-HD422 and XDCAM-EX 1080 and 720, the DV families and D10 standard
    // definition only.
    std::string compression;
    ReadXPathValue(root(), codec + "/@compressionFormat", compression);
    if (!compression.empty() && !CompressionOffered(format, compression))
        writeDocument(scope, codec, "compressionFormat", Variant("Mpeg"));
    if (m_flags.mpegCodec) {
        std::string chroma = "4_2_2";
        ReadXPathValue(root(), codec + "/Mpeg/@chromaFormat", chroma);
        clampMpegRate(scope, format, chroma);
    }
    const bool nowStandard = IsStandardDefinition(format);
    const bool definitionChanged = nowStandard != IsStandardDefinition(previous);
    if (definitionChanged)
        writeDocument(scope, path(kTcCodec), "currentTcInput", Variant("Internal"));
    writeDocument(scope, path(kAncCodec), "fieldsPerRiff",
                  Variant(std::int32_t{nowStandard ? 14 : 10}));
    if (definitionChanged)
        writeDocument(scope, path(kChannel) + "/AncData", "assigned",
                      Variant(nowStandard ? "false" : "true"));
}
