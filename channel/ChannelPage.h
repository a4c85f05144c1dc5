#pragma once
// The Channel page: a row of tabs, one per channel of the document (at most four), and
// under it one channel dialog per tab, of which only the chosen one shows. Each dialog
// shows the channel its tab is named after.

#include "platform/TouchPropertySheet.h"

#include <array>
#include <cstdint>
#include <memory>

class CChannelDlg;
class CTouchTab;
class CTraceScope;

class CChannelPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    static constexpr int kMaxDialogs = 4;
    // The elements the page shows: the channels and the components they refer to.
    static constexpr const char* kChangePart =
        "/Config/Channel | /Config/*[@id = /Config/Channel//*/@id]";

    CChannelPage();
    ~CChannelPage() override;

    int ChannelCount() const { return m_channelCount; }
    int CurrentTab() const { return m_currentTab; }
    CTouchTab* Tabs() const { return m_tabs; }
    // The dialog of a slot, created or not; null outside the four slots.
    CChannelDlg* Dialog(int slot) const;
    // Chooses a tab, as a touch on it would.
    void SelectTab(int index);
    // Also marks the tabs of the channels that have changes.
    bool HasChanges() override;

protected:
    bool OnInitDialog() override;
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Makes a tab and a dialog for each channel of the document, in document order.
    void buildChannels(CTraceScope& scope);
    // Relays out every dialog, or builds them anew when the document was replaced since.
    void reload();
    void OnSelChange(int index);
    void placeDialogs();
    // Shades the tab of each channel the server says is offline.
    void showOfflineChannels();

    CTouchTab* m_tabs = nullptr;
    std::array<std::unique_ptr<CChannelDlg>, kMaxDialogs> m_dialogs;
    int m_channelCount = 0;
    int m_currentTab = 0;
    std::uint64_t m_builtGeneration = 0;
    int m_statusTimer = 0;
};
