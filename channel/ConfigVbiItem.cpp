#include "ConfigVbiItem.h"

#include "VbiLinesDlg.h"

#include "platform/Prompter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/WindowMessages.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

namespace {

std::string lineList(const std::vector<int>& lines) {
    if (lines.empty())
        return LoadString(IDS_NONE);
    std::string text;
    for (int line : lines)
        text += std::to_string(line) + " ";
    return text;
}

} // namespace

CConfigVbiItem::CConfigVbiItem(int labelId, std::string elementXPath, std::string attributeName,
                               unsigned kind, std::uint32_t flags, QObject* owner)
    : CConfigItem(labelId, std::move(elementXPath), std::move(attributeName), flags | ITEM_LOCAL,
                  owner),
      m_kind(kind) {}

std::string CConfigVbiItem::elementPath() const {
    std::string element;
    std::string attribute;
    GetXPath(element, attribute);
    return element;
}

HRESULT CConfigVbiItem::GetCustomVbiLines(XmlDocument* document, CConfigItem& item, std::intptr_t,
                                          Variant& value) {
    CTraceScope scope("ConfigVbiItem");
    return scope.Run([&] {
        auto* vbi = dynamic_cast<CConfigVbiItem*>(&item);
        if (!vbi)
            scope.RaiseComError(E_INVALIDARG);
        vbi->m_lumaLines.clear();
        vbi->m_chromaLines.clear();
        if (!document)
            scope.RaiseComError(E_POINTER);
        const XmlNode root = document->documentNode();
        std::string standard = "Format525_29_97Hz_2To1";
        ReadXPathValue(root, "Config/System/SystemVideoReference/@referenceStandard", standard);
        vbi->m_firstLine = standard == "Format525_29_97Hz_2To1" ? 10 : 6;
        vbi->m_lastLine = 22;

        XmlNodeList lines;
        if (FAILED(root.selectNodes(vbi->elementPath() + "/" + vbi->childName(), lines)))
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not select the VBI lines");
        for (const XmlNode& line : lines) {
            // A line without a number is line 10; one without a type is luma.
            std::int32_t number = 10;
            ReadXPathTypedValue(line, "@lineNum", number);
            std::string type = "Luma";
            if (vbi->m_kind != TeleText)
                ReadXPathValue(line, "@lineType", type);
            (type == "Luma" ? vbi->m_lumaLines : vbi->m_chromaLines).push_back(number);
        }

        std::string text;
        if (vbi->m_kind == LumaAndChroma)
            text = LoadString(IDS_LUMA_PREFIX) + " ";
        text += lineList(vbi->m_lumaLines);
        if (vbi->m_kind == LumaAndChroma)
            text += ", " + LoadString(IDS_CHROMA_PREFIX) + " " + lineList(vbi->m_chromaLines);
        value = Variant(text);
    });
}

bool CConfigVbiItem::TrackPopup(QPoint) {
    CTraceScope scope("ConfigVbiItem");
    bool changed = false;
    scope.Run([&] {
        if (!BeginChange())
            return;
        std::shared_ptr<XmlDocument> document;
        state().GetConfigDocument(document);
        const XmlNode element =
            document ? document->documentNode().selectSingleNode(elementPath()) : XmlNode();
        if (element.isNull()) {
            ShowMissingSetting();
            return;
        }
        // The lists as the document holds them now.
        Variant text;
        GetAttributeValue(text);
        std::int32_t maxLines = 0;
        ReadXPathTypedValue(element, "@maxLines", maxLines);

        CVbiLinesDlg dialog(m_firstLine, m_lastLine, maxLines, m_lumaLines, m_chromaLines, m_kind,
                            OwnerWidget());
        dialog.setWindowTitle(QString::fromStdString(Label()));
        if (prompter().runDialog(dialog) != IDOK || !dialog.Changed())
            return;
        if (dialog.LumaLines() == m_lumaLines && dialog.ChromaLines() == m_chromaLines)
            return; // touched, but back as it was: nothing to write
        // The lines are recorded with the picture, so they are locked like the other
        // recording settings.
        if (!CheckInterlocks())
            return;
        m_lumaLines = dialog.LumaLines();
        m_chromaLines = dialog.ChromaLines();
        scope.Check(ApplyChange(document.get()));
        PostChangeMessages();
        SetNeedsRedraw(true);
        changed = true;
    });
    if (scope.Failed())
        prompter().messageBox(scope.FailureText(), Label(), MB_TOUCH_ERROR, Owner());
    return changed;
}

HRESULT CConfigVbiItem::ApplyChange(XmlDocument* document) {
    CTraceScope scope("ConfigVbiItem");
    return scope.Run([&] {
        if (!document)
            scope.RaiseComError(E_POINTER);
        const XmlNode element = document->documentNode().selectSingleNode(elementPath());
        if (element.isNull())
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "The VBI line element is missing");
        for (const XmlNode& line : element.selectNodes(childName())) {
            if (!element.removeChild(line))
                scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not remove a VBI line");
        }
        const auto append = [&](int number, const char* type) {
            const XmlNode line = element.appendElement(childName());
            if (line.isNull())
                scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", "Could not add a VBI line");
            if (type)
                line.setAttribute("lineType", type);
            line.setAttribute("lineNum", std::to_string(number));
        };
        for (int number : m_lumaLines)
            append(number, m_kind == TeleText ? nullptr : "Luma");
        if (m_kind == LumaAndChroma) {
            for (int number : m_chromaLines)
                append(number, "Chroma");
        }
    });
}
