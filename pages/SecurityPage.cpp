#include "SecurityPage.h"

#include "ChannelSecurityDlg.h"

#include "platform/Prompter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TouchTab.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <fmt/printf.h>

CSecurityPage::CSecurityPage() : CTouchPropertyPage(QStringLiteral("SecurityPage")) {}

CSecurityPage::~CSecurityPage() = default;

CChannelSecurityDlg* CSecurityPage::Dialog(int index) const {
    return index >= 0 && index < m_channelCount ? m_dialogs[static_cast<std::size_t>(index)].get()
                                                : nullptr;
}

bool CSecurityPage::OnInitDialog() {
    CTraceScope scope("CSecurityPage::OnInitDialog");
    scope.Run([&] {
        CConfigState state;
        const bool authorized = state.IsAuthorized();
        if (authorized)
            AddWizardButton(QString::fromStdString(LoadString(IDS_PERMISSION)));
        m_tabs = new CTouchTab(this);
        m_tabs->setObjectName(QStringLiteral("SecurityTabs"));
        m_tabs->SetStandardStyle(CTouchTab::kPageTabWidth);
        connect(m_tabs, &QTabBar::currentChanged, this, &CSecurityPage::OnSelChange);

        std::shared_ptr<XmlDocument> document;
        state.GetConfigDocument(document);
        if (!document)
            scope.RaiseComError(E_POINTER);
        const QSignalBlocker quiet(m_tabs);
        for (const XmlNode& channel : document->documentNode().selectNodes("//Channel")) {
            // The page has room for four channels; the logon has said so of any further ones.
            if (m_channelCount == kMaxChannels)
                break;
            const auto slot = static_cast<std::size_t>(m_channelCount);
            const std::string id = ChannelDisplayName(channel, slot);
            m_tabs->addTab(QString::fromStdString(id));
            m_channelIds[slot] = id;
            // A protocol user that cannot be read shows empty; the failure is reported.
            ProtocolUserInfo info;
            state.GetProtocolUserInfo(m_channelCount, info);
            m_dialogs[slot] = std::make_unique<CChannelSecurityDlg>();
            m_dialogs[slot]->hide();
            m_dialogs[slot]->SetInfo(info, this, !authorized);
            ++m_channelCount;
        }
        m_currentTab = 0;
        m_tabs->setCurrentIndex(0);
        placeDialogs();
        if (CChannelSecurityDlg* first = Dialog(0))
            first->show();
    });
    return true;
}

bool CSecurityPage::ApplyProtocolUsers() {
    bool result = true;
    CConfigState state;
    for (int index = 0; index < m_channelCount; ++index) {
        CChannelSecurityDlg* dialog = Dialog(index);
        if (!dialog->IsModified())
            continue;
        ProtocolUserInfo info;
        dialog->GetInfo(info);
        if (!state.SetProtocolUserInfo(index, m_channelIds[static_cast<std::size_t>(index)], info))
            result = false;
    }
    return result;
}

bool CSecurityPage::OnWizardButton(int index) {
    if (index != 0 || m_channelCount == 0)
        return true;
    const std::string& id = m_channelIds[static_cast<std::size_t>(m_currentTab)];
    if (!CConfigState().GetSecurityInterface()) {
        prompter().messageBox("The server offers no security service: there are no channel "
                              "permissions to show.",
                              "Security", MB_TOUCH_WARNING, this);
        return true;
    }
    const HRESULT status = CConfigState().ShowPermissionsDialog(m_currentTab, id);
    if (FAILED(status))
        prompter().messageBox(fmt::sprintf("The permissions of channel %s could not be shown: %s",
                                           id, ComErrorText(status)),
                              "Security", MB_TOUCH_ERROR, this);
    return true;
}

void CSecurityPage::SelectTab(int index) {
    if (m_tabs && index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
}

void CSecurityPage::OnSelChange(int index) {
    const int previous = m_currentTab;
    if (index == previous || index < 0 || index >= m_channelCount)
        return;
    m_currentTab = index;
    ShowChosenTab(Dialog(index), Dialog(previous));
}

void CSecurityPage::placeDialogs() {
    std::vector<QWidget*> dialogs;
    for (int index = 0; index < m_channelCount; ++index)
        dialogs.push_back(Dialog(index));
    PlaceUnderTabs(*this, m_tabs, dialogs);
}

void CSecurityPage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    placeDialogs();
}

bool CSecurityPage::HasChanges() {
    return m_tabs && m_tabs->MarkTabs(m_channelCount,
                                      [this](int index) { return Dialog(index)->IsModified(); });
}
