#include "RemotePage.h"

#include "RemoteHostDlg.h"
#include "RemoteHostsList.h"

#include "items/ConfigListCtrl.h"
#include "items/ConfigPairItem.h"
#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/TouchScrollButtons.h"
#include "server/IConfigServer.h"
#include "server/IRemoteHosts.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

#include <QPainter>

namespace {

constexpr const char* kCaption = "Remote Hosts";
const QColor kHeadingLine(196, 196, 196);

} // namespace

CRemotePage::CRemotePage() : CTouchPropertyPage(QStringLiteral("RemotePage")) {}

CRemotePage::~CRemotePage() = default;

bool CRemotePage::OnInitDialog() {
    CTraceScope scope("CRemotePage::OnInitDialog");
    scope.Run([&] {
        AddWizardButton(QStringLiteral("Add"));
        AddWizardButton(QStringLiteral("Modify"));
        AddWizardButton(QStringLiteral("Remove"));
        m_list = CreateScrolledList(this, m_scroll);
        m_list->setObjectName(QStringLiteral("RemoteConfig"));
        placeChildren();
        m_list->SetFrozen(true);
        const HRESULT loaded = LoadRemoteHosts();
        m_list->SetFrozen(false);
        m_list->Relayout(true);
        scope.Check(loaded);
    });
    if (!m_unreadable.empty())
        prompter().messageBox(
            "The remote hosts file could not be read: " + AsSentence(m_unreadable) +
                "\nThe list starts empty. The file is kept as it is unless "
                "you choose to replace it when you confirm the settings.",
            kCaption, MB_TOUCH_ERROR, this);
    return true;
}

std::shared_ptr<IRemoteHosts> CRemotePage::hostsFile() {
    const std::shared_ptr<IConfigServer> server = CConfigState().GetConfigServer();
    return server ? server->RemoteHostsFacet() : nullptr;
}

HRESULT CRemotePage::LoadRemoteHosts() {
    CTraceScope scope("CRemotePage::LoadRemoteHosts");
    return scope.Run([&] {
        m_unreadable.clear();
        const std::shared_ptr<IRemoteHosts> file = hostsFile();
        m_available = file != nullptr;
        if (!file)
            scope.Fail(E_NOINTERFACE, __FILE__, __LINE__, "%s",
                       "The server keeps no remote hosts file");
        std::string bytes;
        const HRESULT read = file->ReadHostsFile(bytes);
        if (FAILED(read)) {
            m_unreadable = ComErrorText(read);
            scope.Fail(read, __FILE__, __LINE__, "Could not read the remote hosts file: %s",
                       m_unreadable);
        }
        std::vector<RemoteHost> hosts;
        std::string why;
        if (!ParseRemoteHosts(bytes, hosts, why)) {
            m_unreadable = why;
            scope.Fail(HRESULT_INVALID_DATA, __FILE__, __LINE__,
                       "The remote hosts file is not usable: %s", why);
        }
        m_loadedHosts = hosts;
        for (RemoteHost& host : hosts)
            m_list->AddItem(
                new CConfigPairItem(std::move(host.hostName), std::move(host.id), 0, this));
    });
}

std::vector<RemoteHost> CRemotePage::Hosts() const {
    std::vector<RemoteHost> hosts;
    for (std::size_t i = 0; m_list && i < m_list->ItemCount(); ++i) {
        if (const auto* item = dynamic_cast<const CConfigPairItem*>(m_list->ItemAt(i)))
            hosts.push_back({item->FirstText(), item->SecondText()});
    }
    return hosts;
}

bool CRemotePage::confirmReplace() {
    return prompter().messageBox("The remote hosts file could not be read when the settings "
                                 "were opened: " +
                                     AsSentence(m_unreadable) +
                                     "\nReplace it with the list on the Remote page? No keeps "
                                     "the file as it is.",
                                 kCaption, MB_TOUCH_QUESTION | MB_DEFBUTTON2, this) == IDYES;
}

bool CRemotePage::SaveRemoteHosts() {
    // A list that was never read has nothing of the user's to write.
    if (!IsCreated() || !m_available)
        return true;
    CTraceScope scope("CRemotePage::SaveRemoteHosts");
    bool saved = false;
    scope.Run([&] {
        if (!m_unreadable.empty() && !confirmReplace()) {
            saved = true;
            return;
        }
        const std::shared_ptr<IRemoteHosts> file = hostsFile();
        if (!file)
            scope.Fail(E_NOINTERFACE, __FILE__, __LINE__, "%s",
                       "The server keeps no remote hosts file");
        scope.Check(file->WriteHostsFile(RemoteHostsText(Hosts())), *file);
        m_unreadable.clear();
        saved = true;
    });
    if (!saved)
        prompter().messageBox(
            "The remote hosts list could not be saved: " + AsSentence(scope.FailureText()) +
                "\nThe file on the server is unchanged.",
            kCaption, MB_TOUCH_ERROR, this);
    return saved;
}

bool CRemotePage::OnWizardButton(int index) {
    // The read-only view shows the list but does not let it be edited.
    if (CConfigState().IsReadOnly()) {
        TellNotAuthorized("Security", this);
        return true;
    }
    switch (index) {
    case 0:
        OnAdd();
        break;
    case 1:
        OnModify();
        break;
    case 2:
        OnRemove();
        break;
    default:
        break;
    }
    return true;
}

bool CRemotePage::offersHosts() {
    if (m_available)
        return true;
    prompter().messageBox("This server keeps no remote hosts list.", kCaption, MB_TOUCH_WARNING,
                          this);
    return false;
}

CConfigPairItem* CRemotePage::selectedItem() const {
    for (std::size_t i = 0; m_list && i < m_list->ItemCount(); ++i) {
        CConfigItem* item = m_list->ItemAt(i);
        if (item->IsSelected())
            return dynamic_cast<CConfigPairItem*>(item);
    }
    return nullptr;
}

void CRemotePage::OnAdd() {
    if (!offersHosts())
        return;
    CRemoteHostDlg dialog("Add Host", std::string(), std::string(), this);
    if (prompter().runDialog(dialog) != IDOK)
        return;
    m_list->AddItem(new CConfigPairItem(dialog.HostName(), dialog.ControllerId(), 0, this));
    m_list->Relayout(true);
    // The new row is the last: bring it into view.
    m_list->Scroll(SB_BOTTOM);
}

void CRemotePage::OnModify() {
    CConfigPairItem* item = selectedItem();
    if (!item || !offersHosts())
        return;
    CRemoteHostDlg dialog("Modify Host", item->FirstText(), item->SecondText(), this);
    if (prompter().runDialog(dialog) != IDOK || !m_list->Contains(item))
        return;
    item->SetTexts(dialog.HostName(), dialog.ControllerId());
    m_list->Relayout(true);
}

void CRemotePage::OnRemove() {
    if (CConfigPairItem* item = selectedItem())
        m_list->DeleteItem(item, true);
}

void CRemotePage::placeChildren() {
    if (!m_list || !m_scroll)
        return;
    PlaceBesideScrollButton(m_list, m_scroll, size(), 0);
    // The headings take the band above the rows.
    const int top = FrmwkGetMetrics(METRIC_ROW_HEIGHT) + 3;
    m_list->setGeometry(m_list->geometry().adjusted(0, top, 0, 0));
}

void CRemotePage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    placeChildren();
}

void CRemotePage::paintEvent(QPaintEvent* event) {
    CTouchPropertyPage::paintEvent(event);
    QPainter painter(this);
    painter.setFont(FrmwkGetFont(FONT_NORMAL));
    painter.setPen(FrmwkGetColor(COLOR_TEXT));
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    const int band = FrmwkGetMetrics(METRIC_ROW_HEIGHT);
    constexpr int flags = Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter;
    painter.drawText(QRect(margin, 0, width() / 2, band), flags, QStringLiteral("Host Name:"));
    const int second = width() / 2 - 2 * margin;
    painter.drawText(QRect(second, 0, width() - second, band), flags,
                     QStringLiteral("Controller Id:"));
    painter.setPen(kHeadingLine);
    painter.drawLine(margin, band + 1, width() - margin, band + 1);
}

bool CRemotePage::HasChanges() {
    return m_available && Hosts() != m_loadedHosts;
}
