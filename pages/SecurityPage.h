#pragma once
// The Security page: one tab per channel of the document (at most four), each with the
// channel's protocol user, and for a user who may change the configuration the
// "Permission" button that opens the server's permissions dialog for the channel shown.
// Protocol users are kept by the server's security service, not in the document: the
// sheet's OK applies the changed ones.

#include "platform/TouchPropertySheet.h"

#include <array>
#include <memory>
#include <string>

class CChannelSecurityDlg;
class CTouchTab;

class CSecurityPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    static constexpr int kMaxChannels = 4;

    CSecurityPage();
    ~CSecurityPage() override;

    // Stores the entry of every channel whose edits were changed, each validated first.
    // False when any was refused; the others are still stored.
    bool ApplyProtocolUsers();
    // Index 0, "Permission": the server's permissions dialog for the channel shown. The
    // page has no other buttons, so every index is taken as handled.
    bool OnWizardButton(int index) override;
    // Also marks the tabs of the channels whose entry was changed.
    bool HasChanges() override;

    int ChannelCount() const { return m_channelCount; }
    int CurrentTab() const { return m_currentTab; }
    CTouchTab* Tabs() const { return m_tabs; }
    // The dialog of a shown channel; null outside them.
    CChannelSecurityDlg* Dialog(int index) const;
    // Chooses a tab, as a touch on it would.
    void SelectTab(int index);

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnSelChange(int index);
    void placeDialogs();

    CTouchTab* m_tabs = nullptr;
    std::array<std::unique_ptr<CChannelSecurityDlg>, kMaxChannels> m_dialogs;
    std::array<std::string, kMaxChannels> m_channelIds;
    int m_channelCount = 0;
    int m_currentTab = 0;
};
