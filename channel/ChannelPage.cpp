#include "ChannelPage.h"

#include "ChannelDlg.h"
#include "items/ConfigListCtrl.h"

#include "platform/Metrics.h"
#include "platform/TouchTab.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <QTimerEvent>

#include <optional>
#include <set>

CChannelPage::CChannelPage() : CTouchPropertyPage(QStringLiteral("ChannelPage")) {}

CChannelPage::~CChannelPage() = default;

CChannelDlg* CChannelPage::Dialog(int slot) const {
    return slot >= 0 && slot < kMaxDialogs ? m_dialogs[static_cast<std::size_t>(slot)].get()
                                           : nullptr;
}

bool CChannelPage::OnInitDialog() {
    CTraceScope scope("CChannelPage::OnInitDialog");
    scope.Run([&] {
        AddFileWizardButtons();
        m_tabs = new CTouchTab(this);
        m_tabs->setObjectName(QStringLiteral("ChannelTabs"));
        m_tabs->move(FrmwkGetMetrics(METRIC_MARGIN), 0);
        m_tabs->SetStandardStyle(CTouchTab::kPageTabWidth);
        connect(m_tabs, &QTabBar::currentChanged, this, &CChannelPage::OnSelChange);
        buildChannels(scope);
        // A channel restarting after a commit, or taken offline at the server, shows so.
        m_statusTimer = startTimer(kStatusPeriodMs);
    });
    return true;
}

void CChannelPage::buildChannels(CTraceScope& scope) {
    CConfigState state;
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    m_builtGeneration = state.DocumentGeneration();
    if (!document)
        scope.RaiseComError(E_POINTER);

    std::set<int> taken;
    for (const XmlNode& channel : document->documentNode().selectNodes("//Channel")) {
        // The page has room for four channels; the logon has said so of any further ones.
        if (m_channelCount == kMaxDialogs)
            break;
        const int slot = m_channelCount;
        const std::string name = ChannelDisplayName(channel, static_cast<std::size_t>(slot));
        // Each dialog shows the channel its tab names. An index that is missing, not a
        // number or already taken would show another channel's settings, so the dialog says
        // so instead.
        const std::optional<int> index = UniqueChannelIndexOf(channel, taken);
        const QSignalBlocker quiet(m_tabs);
        m_tabs->addTab(QString::fromStdString(name));
        auto dialog = std::make_unique<CChannelDlg>();
        dialog->hide();
        dialog->Create(index.value_or(CChannelDlg::kNoChannelIndex), name, this);
        m_dialogs[static_cast<std::size_t>(slot)] = std::move(dialog);
        ++m_channelCount;
    }
    m_currentTab = 0;
    {
        const QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentIndex(0);
    }
    placeDialogs();
    showOfflineChannels();
    if (CChannelDlg* first = Dialog(0))
        first->show();
}

void CChannelPage::showOfflineChannels() {
    const std::uint32_t offline = CConfigState().IsChannelOffline();
    for (int slot = 0; slot < m_channelCount; ++slot) {
        const int index = Dialog(slot)->ChannelIndex();
        m_tabs->SetTabOffline(slot, index >= 0 && index < kMaxChannels && (offline >> index) & 1u);
    }
}

void CChannelPage::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_statusTimer)
        showOfflineChannels();
    else
        CTouchPropertyPage::timerEvent(event);
}

void CChannelPage::reload() {
    if (!m_tabs)
        return;
    if (CConfigState().DocumentGeneration() == m_builtGeneration) {
        for (int slot = 0; slot < m_channelCount; ++slot)
            SendMessage(Dialog(slot), WM_CONFIG_RELAYOUT, 0, 0);
        return;
    }
    // A loaded or restored document may have other channels, rows and choices.
    CTraceScope scope("CChannelPage::Rebuild");
    scope.Run([&] {
        {
            const QSignalBlocker quiet(m_tabs);
            while (m_tabs->count() > 0)
                m_tabs->removeTab(0);
        }
        for (auto& dialog : m_dialogs)
            dialog.reset();
        m_channelCount = 0;
        buildChannels(scope);
    });
}

void CChannelPage::SelectTab(int index) {
    if (m_tabs && index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
}

void CChannelPage::OnSelChange(int index) {
    const int previous = m_currentTab;
    if (index == previous || index < 0 || index >= m_channelCount)
        return;
    m_currentTab = index;
    ShowChosenTab(Dialog(index), Dialog(previous));
}

LRESULT CChannelPage::OnConfigMessage(unsigned message, WPARAM, LPARAM) {
    if (message == WM_CONFIG_RELAYOUT)
        reload();
    return 0;
}

void CChannelPage::placeDialogs() {
    std::vector<QWidget*> dialogs;
    for (int slot = 0; slot < m_channelCount; ++slot)
        dialogs.push_back(Dialog(slot));
    PlaceUnderTabs(*this, m_tabs, dialogs);
}

void CChannelPage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    placeDialogs();
}

void CChannelPage::showEvent(QShowEvent* event) {
    reload();
    CTouchPropertyPage::showEvent(event);
}

bool CChannelPage::HasChanges() {
    return m_tabs && m_tabs->MarkTabs(m_channelCount, [this](int slot) {
        const CChannelDlg* dialog = Dialog(slot);
        return dialog && dialog->List() && dialog->List()->AnyItemDiffersFromStart();
    });
}
