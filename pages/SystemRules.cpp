// The System page's change rules: the reference standard rewrite and the time of day LTC
// source.

#include "SystemPage.h"

#include "channel/ChannelDlg.h"
#include "items/ChangeUndo.h"
#include "items/ConfigItem.h"
#include "items/ConfigListCtrl.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WindowMessages.h"
#include "platform/XmlDocument.h"
#include "state/ConfigCheckpoint.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <fmt/printf.h>

namespace {

constexpr const char* kOutputOffsets[] = {"videoFieldOffset", "videoLineOffset",
                                          "videoSampleOffset", "videoSubpixelOffset"};

// The XPath of the n-th element of a kind (from 0), in document order: it names that
// element even when its id is missing or shared with another.
std::string nth(const char* element, std::size_t n) {
    return fmt::sprintf("(//%s)[%d]", element, static_cast<int>(n + 1));
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
    case IDS_REFERENCE_STANDARD: {
        // A rewrite that fails half-way must not leave a half-rewritten document behind.
        ConfigCheckpoint checkpoint;
        const HRESULT rewritten = OnItemChange(*document, value.toText());
        if (FAILED(rewritten))
            undoStandardChange(checkpoint, *item,
                               m_rewriteFailure.empty() ? ComErrorText(rewritten)
                                                        : m_rewriteFailure);
        break;
    }
    case IDS_TIME_OF_DAY_LTC_SOURCE:
        OnLtcSourceChange(*document, value.toText());
        break;
    default:
        break;
    }
    return 0;
}

void CSystemPage::undoStandardChange(ConfigCheckpoint& checkpoint, CConfigItem& item,
                                     const std::string& why) {
    // The restart the change asked for would commit a change that did not happen.
    RemovePostedMessages(MainWindow(), WM_CONFIG_RESTART);
    UndoFailedChange(checkpoint, &item, why, "Reference Standard", this);
    if (m_list)
        m_list->Relayout(true);
}

HRESULT CSystemPage::OnItemChange(XmlDocument& document, const std::string& standard) {
    CTraceScope scope("CSystemPage::OnItemChange");
    m_rewriteFailure.clear();
    scope.Run([&] {
        CConfigState state;
        const XmlNode root = document.documentNode();
        const auto write = [&](const std::string& element, const char* attribute,
                               const Variant& value) {
            scope.Check(state.PutAttributeValue(element, attribute, value, false, true));
        };

        const XmlNodeList inputs = root.selectNodes("//VideoInput");
        for (std::size_t i = 0; i < inputs.size(); ++i)
            write(nth("VideoInput", i), "videoInputFormat", Variant(standard));

        const XmlNodeList outputs = root.selectNodes("//VideoOutput");
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const std::string element = nth("VideoOutput", i);
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

        const XmlNodeList codecs = root.selectNodes("//VideoCodec");
        for (std::size_t i = 0; i < codecs.size(); ++i) {
            const std::string mpeg = nth("VideoCodec", i) + "/Mpeg";
            if (root.selectSingleNode(mpeg).isNull())
                continue;
            std::string chroma = "4_2_2";
            ReadXPathTypedValue(root, mpeg + "/@chromaFormat", chroma);
            std::int32_t rate = 0;
            ReadXPathTypedValue(root, mpeg + "/@dataRate", rate);
            // The standard-definition 4:2:2 limit is the codec's own.
            int clamped = rate;
            if (CChannelDlg::CheckVideoDataRate(standard, chroma, rate, clamped, codecs[i]))
                write(mpeg, "dataRate", Variant(static_cast<std::int32_t>(clamped)));
        }

        XmlNodeList lines;
        if (FAILED(root.selectNodes("//VbiLine", lines)))
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not select the VBI lines");
        // Last first: a VBI line inside another goes before the one holding it, so that no
        // removal uses a node an earlier one already took away.
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
            if (!line->parent().removeChild(*line))
                scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not remove a VBI line");
        }
    });
    if (scope.Failed())
        m_rewriteFailure = scope.FailureText();
    return scope.GetResult();
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
