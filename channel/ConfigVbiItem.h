#pragma once
// A set of VBI line numbers kept as child elements of a component element: uncompressed
// VBI lines (VbiLine, luma or chroma) or teletext lines (TeleTextLine). The row shows the
// lines as text; a touch edits them in the VBI lines dialog.

#include "items/ConfigItem.h"

#include <vector>

class CConfigVbiItem : public CConfigItem {
public:
    enum Kind : unsigned { LumaOnly = 0, LumaAndChroma = 1, TeleText = 2 };

    // ITEM_LOCAL is always added: the value is the text made from the document's lines.
    CConfigVbiItem(int labelId, std::string elementXPath, std::string attributeName, unsigned kind,
                   std::uint32_t flags, QObject* owner);

    // The get accessor the page installs: reads the lines from the document into the item's
    // lists and gives their text.
    static HRESULT GetCustomVbiLines(XmlDocument* document, CConfigItem& item,
                                     std::intptr_t context, Variant& value);

    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return true; }
    // Rewrites the element's line children from the item's lists.
    HRESULT ApplyChange(XmlDocument* document);

    unsigned Kind() const { return m_kind; }
    int FirstLine() const { return m_firstLine; }
    int LastLine() const { return m_lastLine; }
    const std::vector<int>& LumaLines() const { return m_lumaLines; }
    const std::vector<int>& ChromaLines() const { return m_chromaLines; }

private:
    const char* childName() const { return m_kind == TeleText ? "TeleTextLine" : "VbiLine"; }
    std::string elementPath() const;

    int m_firstLine = 10;
    int m_lastLine = 22;
    std::vector<int> m_lumaLines;
    std::vector<int> m_chromaLines;
    unsigned m_kind;
};
