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

constexpr const char* kRemoteCaption = "Remote Hosts";
const QColor kHeadingLine(196, 196, 196);

// Reads the hosts the file holds now. A failure gives its status and the reason: the
// server's for a file it could not read, the parser's for one that is not a hosts file.
HRESULT readHosts(IRemoteHosts& file, std::vector<RemoteHost>& hosts, std::string& why) {
    std::string bytes;
    const HRESULT read = file.ReadHostsFile(bytes);
    if (FAILED(read)) {
        why = file.LastErrorText();
        if (why.empty())
            why = ComErrorText(read);
        return read;
    }
    return ParseRemoteHosts(bytes, hosts, why) ? S_OK : HRESULT_INVALID_DATA;
}

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
            kRemoteCaption, MB_TOUCH_ERROR, this);
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
        std::vector<RemoteHost> hosts;
        std::string why;
        const HRESULT read = readHosts(*file, hosts, why);
        if (FAILED(read)) {
            m_unreadable = why;
            scope.Fail(read, __FILE__, __LINE__, "The remote hosts file could not be read: %s",
                       why);
        }
        m_loadedHosts = hosts;
        m_knownHosts = hosts;
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
                                 kRemoteCaption, MB_TOUCH_QUESTION | MB_DEFBUTTON2, this) == IDYES;
}

bool CRemotePage::confirmOverwrite() {
    return prompter().messageBox("The remote hosts were changed on the server after you logged "
                                 "on. Writing your list would undo those changes.\n\nWrite your "
                                 "list anyway?",
                                 "Remote Hosts Changed", MB_TOUCH_QUESTION | MB_DEFBUTTON2,
                                 this) == IDYES;
}

bool CRemotePage::SaveRemoteHosts() {
    // A list that was never read has nothing of the user's to write.
    if (!IsCreated() || !m_available)
        return true;
    CTraceScope scope("CRemotePage::SaveRemoteHosts");
    bool saved = false;
    bool declined = false;
    scope.Run([&] {
        const std::shared_ptr<IRemoteHosts> file = hostsFile();
        if (!file)
            scope.Fail(E_NOINTERFACE, __FILE__, __LINE__, "%s",
                       "The server keeps no remote hosts file");
        if (!m_unreadable.empty()) {
            if (!confirmReplace()) {
                saved = true;
                return;
            }
        } else if (!stillAsKnown(scope, *file)) {
            // Another session wrote the file since this one read it. Without edits here there
            // is nothing to write, and writing would only undo theirs.
            if (Hosts() == m_knownHosts) {
                saved = true;
                return;
            }
            if (!confirmOverwrite()) {
                declined = true;
                return;
            }
        }
        const std::vector<RemoteHost> hosts = Hosts();
        HRESULT written = file->WriteHostsFile(RemoteHostsText(hosts));
        while (written == E_CHANGED_STATE) {
            // Another session wrote the file between the check and the write. It is read
            // again, so that a write the user agrees to goes over that version.
            stillAsKnown(scope, *file);
            if (hosts == m_knownHosts) {
                saved = true;
                return;
            }
            if (!confirmOverwrite()) {
                declined = true;
                return;
            }
            written = file->WriteHostsFile(RemoteHostsText(hosts));
        }
        scope.Check(written, *file);
        m_knownHosts = hosts;
        m_unreadable.clear();
        saved = true;
    });
    if (!saved && !declined)
        prompter().messageBox(
            "The remote hosts list could not be saved: " + AsSentence(scope.FailureText()) +
                "\nThe file on the server is unchanged.",
            kRemoteCaption, MB_TOUCH_ERROR, this);
    return saved;
}

bool CRemotePage::stillAsKnown(CTraceScope& scope, IRemoteHosts& file) {
    std::vector<RemoteHost> now;
    std::string why;
    const HRESULT read = readHosts(file, now, why);
    // A file that is no hosts file any more was changed too; one that cannot be read now
    // cannot be compared, and is not replaced unseen.
    if (read == HRESULT_INVALID_DATA)
        return false;
    if (FAILED(read))
        scope.Fail(read, __FILE__, __LINE__, "%s", why);
    return now == m_knownHosts;
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
    prompter().messageBox("This server keeps no remote hosts list.", kRemoteCaption,
                          MB_TOUCH_WARNING, this);
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
