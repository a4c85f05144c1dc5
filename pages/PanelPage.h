#pragma once
// The Panel page: how the server's control panel behaves (jog and shuttle ranges, VAR
// playback and, on the server's own screen, the volume knob, record button and full-screen
// monitor), all attributes of the one Panel element. The shuttle range is kept symmetric.

#include "platform/HResult.h"
#include "platform/TouchPropertySheet.h"

#include <cstdint>

class CConfigItem;
class CConfigListCtrl;
class CTouchScrollBtn;
class CTraceScope;
class Variant;
class XmlDocument;

class CPanelPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    // The element the page shows.
    static constexpr const char* kChangePart = "/Config/Panel";

    CPanelPage();
    ~CPanelPage() override;

    CConfigListCtrl* List() const { return m_list; }
    bool HasChanges() override;

    // The shuttle speed shown: the stored maximum when the range is symmetric, 32 when the
    // document has none, the stored range as text when it is lopsided (so no choice shows
    // as current and any choice mends it).
    static HRESULT GetCustomShuttleSpeed(XmlDocument* document, CConfigItem& item,
                                         std::intptr_t context, Variant& value);
    // Writes the chosen range as the pair -speed and speed, minimum first. S_FALSE, with
    // nothing written, when the document lacks either attribute.
    static HRESULT PutCustomShuttleSpeed(const Variant& value, XmlDocument* document,
                                         CConfigItem& item, std::intptr_t context);

protected:
    bool OnInitDialog() override;
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Builds the items from the document as it stands, with the list frozen.
    void buildItems(CTraceScope& scope);
    // Lays the list out again, or builds it anew when the document was replaced since.
    void reload();

    HRESULT CreateJogShuttleConfig();
    HRESULT CreatePanelOptionsConfig();

    CConfigListCtrl* m_list = nullptr;
    CTouchScrollBtn* m_scroll = nullptr;
    std::uint64_t m_builtGeneration = 0;
};
