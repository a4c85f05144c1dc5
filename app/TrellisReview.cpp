// The sheet's review of its pages: what a commit would change, gathered from every page.

#include "TrellisDlg.h"

#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "items/ConfigListCtrl.h"
#include "pages/ChannelSecurityDlg.h"
#include "pages/GangPage.h"
#include "pages/GangSettings.h"
#include "pages/GpiDialogs.h"
#include "pages/GpiPage.h"
#include "pages/PanelPage.h"
#include "pages/RemoteHostsList.h"
#include "pages/RemotePage.h"
#include "pages/SecurityPage.h"
#include "pages/SystemPage.h"
#include "platform/FileWrite.h"
#include "platform/Prompter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TouchTab.h"

#include "review/ReviewText.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

std::string hostWords(const RemoteHost& host) {
    return "\"" + host.hostName + "\" (controller id " + host.id + ")";
}

// The hosts added, removed and given another controller id; a new order alone is said so.
void addHostChanges(ConfigReviewBuilder& builder, const std::string& page,
                    std::vector<RemoteHost> before, std::vector<RemoteHost> after) {
    if (before == after)
        return;
    const bool sameHosts =
        std::is_permutation(before.begin(), before.end(), after.begin(), after.end());
    // Hosts in both lists are no change.
    for (auto it = after.begin(); it != after.end();) {
        const auto kept = std::find(before.begin(), before.end(), *it);
        if (kept == before.end()) {
            ++it;
            continue;
        }
        before.erase(kept);
        it = after.erase(it);
    }
    for (auto it = after.begin(); it != after.end();) {
        const auto renumbered =
            std::find_if(before.begin(), before.end(),
                         [&](const RemoteHost& host) { return host.hostName == it->hostName; });
        if (renumbered == before.end()) {
            ++it;
            continue;
        }
        builder.AddEntry(
            page, {},
            TextEntry("Host \"" + it->hostName + "\" controller id:", renumbered->id, it->id));
        before.erase(renumbered);
        it = after.erase(it);
    }
    for (const RemoteHost& host : before)
        builder.AddEntry(page, {}, TextEntry("Removed host " + hostWords(host)));
    for (const RemoteHost& host : after)
        builder.AddEntry(page, {}, TextEntry("Added host " + hostWords(host)));
    if (sameHosts)
        builder.AddEntry(page, {}, TextEntry("The hosts are in another order"));
}

// A channel's protocol user: the user name and domain with both values, and only that the
// password changed, never the password.
void addProtocolUserChanges(ConfigReviewBuilder& builder, const std::string& page,
                            const std::string& channel, const CChannelSecurityDlg& dialog) {
    if (!dialog.IsModified())
        return;
    ProtocolUserInfo now;
    dialog.GetInfo(now);
    const ProtocolUserInfo& start = dialog.StartInfo();
    if (now.userName != start.userName)
        builder.AddEntry(page, channel,
                         TextEntry(LoadString(IDS_SECURITY_USER), start.userName, now.userName));
    if (dialog.IsPasswordModified())
        builder.AddEntry(page, channel, TextEntry(LoadString(IDS_SECURITY_PASSWORD) + " changed"));
    if (now.domain != start.domain)
        builder.AddEntry(page, channel,
                         TextEntry(LoadString(IDS_SECURITY_DOMAIN), start.domain, now.domain));
}

// The Ganging page's columns, each shown as the page shows its choice.
void addGangViews(ConfigReviewBuilder& builder) {
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    if (!document)
        return;
    for (const GangColumn& column : ReadGangSettings(document->documentNode()).columns) {
        builder.AddView(GangColumnChange(column),
                        [position = column.position](const XmlNode& root) {
                            for (const GangColumn& shown : ReadGangSettings(root).columns) {
                                if (shown.position == position)
                                    return GangChoiceText(shown.choice);
                            }
                            return std::string();
                        });
    }
}

} // namespace

ConfigReviewBuilder PagesReviewBuilder(const SheetPages& pages,
                                       const std::vector<std::string>& pageOrder) {
    ConfigReviewBuilder builder;
    builder.SetPageOrder(pageOrder);

    // A change no row shows goes to the most particular page that shows its element.
    builder.AddPart("Ganging", CGangPage::kChangePart);
    addGangViews(builder);
    builder.AddPart("GPI", CGpiPage::kChangePart);
    builder.AddPart("System", CSystemPage::kChangePart);
    builder.AddPart("Panel", CPanelPage::kChangePart);
    builder.AddPart("Channel", CChannelPage::kChangePart);

    if (CConfigListCtrl* list = pages.system->List())
        builder.AddRows("System", {}, *list);
    for (int slot = 0; slot < pages.channel->ChannelCount(); ++slot) {
        const CChannelDlg* dialog = pages.channel->Dialog(slot);
        if (dialog && dialog->List())
            builder.AddRows("Channel", pages.channel->Tabs()->tabText(slot).toStdString(),
                            *dialog->List());
    }
    for (const CGpiListDlg* dialog : {static_cast<CGpiListDlg*>(pages.gpi->InputDialog()),
                                      static_cast<CGpiListDlg*>(pages.gpi->OutputDialog())}) {
        if (dialog && dialog->List())
            builder.AddRows("GPI", {}, *dialog->List());
    }
    if (CConfigListCtrl* list = pages.panel->List())
        builder.AddRows("Panel", {}, *list);

    if (pages.remote->HasChanges())
        addHostChanges(builder, "Remote", pages.remote->LoadedHosts(), pages.remote->Hosts());
    for (int index = 0; index < pages.security->ChannelCount(); ++index) {
        if (const CChannelSecurityDlg* dialog = pages.security->Dialog(index))
            addProtocolUserChanges(builder, "Security",
                                   pages.security->Tabs()->tabText(index).toStdString(), *dialog);
    }
    return builder;
}

ConfigReview ReviewPages(const SheetPages& pages, const std::vector<std::string>& pageOrder) {
    return PagesReviewBuilder(pages, pageOrder).Build();
}

ConfigReviewBuilder CTrellisDlg::reviewBuilder() const {
    std::vector<std::string> order;
    for (int index = 0; index < GetPageCount(); ++index)
        order.push_back(GetPage(index)->PageName().toStdString());
    return PagesReviewBuilder({m_systemPage.get(), m_channelPage.get(), m_gpiPage.get(),
                               m_panelPage.get(), m_remotePage.get(), m_securityPage.get()},
                              order);
}

ConfigReview CTrellisDlg::ReviewChanges() const {
    return reviewBuilder().Build();
}

std::vector<std::string> CTrellisDlg::ChangeWordsBetween(const XmlDocument& before,
                                                         const XmlDocument& after) const {
    return reviewBuilder().ChangeLines(before, after);
}

QString ChangeReportPath(const QString& configurationPath) {
    const QFileInfo configuration(configurationPath);
    return configuration.dir().filePath(configuration.completeBaseName() +
                                        QStringLiteral(".changes.txt"));
}

void CTrellisDlg::saveChangeReport(const std::string& configurationPath) {
    const QString configuration = QString::fromStdString(configurationPath);
    const QString path = ChangeReportPath(configuration);
    const std::string title = "Changes since the session started, saved with " +
                              QFileInfo(configuration).fileName().toStdString() + " on " +
                              QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    const HRESULT written = WriteFileAtomically(path, ReviewReport(ReviewChanges(), title));
    if (FAILED(written))
        prompter().messageBox("The configuration was saved, but the report of its changes could "
                              "not be written to " +
                                  path.toStdString() + ": " + ComErrorText(written),
                              "Save As", MB_TOUCH_WARNING, this);
}
