// The System page's change rules: the reference standard rewrite and the time of day LTC
// source.

#include "SystemPage.h"

#include "channel/ChannelDlg.h"
#include "items/ConfigItem.h"
#include "platform/StringTable.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <fmt/printf.h>

namespace {

constexpr const char* kOutputOffsets[] = {"videoFieldOffset", "videoLineOffset",
                                          "videoSampleOffset", "videoSubpixelOffset"};

std::string byId(const char* element, const XmlNode& node) {
    return fmt::sprintf("//%s[@id=%s]", element, XPathLiteral(node.attribute("id")));
}

} // namespace

LRESULT CSystemPage::OnItemChange(WPARAM labelId, CConfigItem* item) {
    if (!item)
        return 0;
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    if (!document)
        return 0;
    Variant value;
    item->GetAttributeValue(value);
    switch (static_cast<int>(labelId)) {
    case IDS_REFERENCE_STANDARD:
        OnItemChange(*document, value.toText());
        break;
    case IDS_TIME_OF_DAY_LTC_SOURCE:
        OnLtcSourceChange(*document, value.toText());
        break;
    default:
        break;
    }
    return 0;
}

HRESULT CSystemPage::OnItemChange(XmlDocument& document, const std::string& standard) {
    CTraceScope scope("CSystemPage::OnItemChange");
    return scope.Run([&] {
        CConfigState state;
        const XmlNode root = document.documentNode();
        const auto write = [&](const std::string& element, const char* attribute,
                               const Variant& value) {
            scope.Check(state.PutAttributeValue(element, attribute, value, false, true));
        };

        for (const XmlNode& input : root.selectNodes("//VideoInput"))
            write(byId("VideoInput", input), "videoInputFormat", Variant(standard));

        for (const XmlNode& output : root.selectNodes("//VideoOutput")) {
            const std::string element = byId("VideoOutput", output);
            write(element, "videoOutputFormat", Variant(standard));
            write(element, "aspectRatio", Variant("4:3"));
            // Only the offsets the timing element carries are reset; none is created.
            const std::string timing = element + "/VideoOutputTiming";
            const XmlNode timingNode = root.selectSingleNode(timing);
            for (const char* offset : kOutputOffsets) {
                if (timingNode.hasAttribute(offset))
                    write(timing, offset, Variant(std::int32_t{0}));
            }
        }

        for (const XmlNode& codec : root.selectNodes("//VideoCodec")) {
            const std::string mpeg = byId("VideoCodec", codec) + "/Mpeg";
            if (root.selectSingleNode(mpeg).isNull())
                continue;
            std::string chroma = "4_2_2";
            ReadXPathTypedValue(root, mpeg + "/@chromaFormat", chroma);
            std::int32_t rate = 0;
            ReadXPathTypedValue(root, mpeg + "/@dataRate", rate);
            // The standard-definition 4:2:2 limit is the codec's own.
            int clamped = rate;
            if (CChannelDlg::CheckVideoDataRate(standard, chroma, rate, clamped,
                                                CChannelDlg::Sd422MaximumRate(codec)))
                write(mpeg, "dataRate", Variant(static_cast<std::int32_t>(clamped)));
        }

        XmlNodeList lines;
        if (FAILED(root.selectNodes("//VbiLine", lines)))
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not select the VBI lines");
        for (const XmlNode& line : lines) {
            if (!line.parent().removeChild(line))
                scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not remove a VBI line");
        }
    });
}

HRESULT CSystemPage::OnLtcSourceChange(XmlDocument& document, const std::string& choice) {
    CTraceScope scope("CSystemPage::OnItemChange");
    return scope.Run([&] {
        const XmlNode root = document.documentNode();
        std::string id;
        if (choice == LoadString(IDS_SYSTEM))
            ReadXPathValue(root, "//LtcInputSystem/@id", id);
        else
            ReadXPathValue(
                root,
                fmt::sprintf("//LtcInput[@id=//Channel[@id=%s]/Timecode/LtcInputComponent/@id]/@id",
                             XPathLiteral(choice)),
                id);
        scope.Check(CConfigState().PutAttributeValue("./Config/System/TimeOfDay", "ltcInputId",
                                                     Variant(id), false, true));
    });
}
