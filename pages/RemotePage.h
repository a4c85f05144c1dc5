#pragma once
// The Remote hosts page: the hosts that may control the server, each a host name with a
// controller id, in two columns under painted headings. The list lives in the server's
// remote hosts file, not in the configuration: it is read when the page is built and
// written back whole when the sheet is confirmed. A file that could not be read is kept
// unless the user agrees to replace it, and so is one that another session wrote meanwhile.

#include "platform/HResult.h"
#include "platform/TouchPropertySheet.h"

#include <memory>
#include <string>
#include <vector>

struct RemoteHost;
class CConfigListCtrl;
class CConfigPairItem;
class CTouchScrollBtn;
class CTraceScope;
class IRemoteHosts;

class CRemotePage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CRemotePage();
    ~CRemotePage() override;

    CConfigListCtrl* List() const { return m_list; }
    bool HasChanges() override;
    // The hosts as the list shows them, in order.
    std::vector<RemoteHost> Hosts() const;
    // The hosts as the file held them when the page was built.
    const std::vector<RemoteHost>& LoadedHosts() const { return m_loadedHosts; }

    // Page buttons: 0 Add, 1 Modify, 2 Remove.
    bool OnWizardButton(int index) override;

    // Reads the hosts file into the list.
    HRESULT LoadRemoteHosts();
    // Writes the list to the hosts file, whole. False when the list was not written and the
    // user was told why: the sheet then stays open.
    bool SaveRemoteHosts();

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnAdd();
    void OnModify();
    void OnRemove();
    // The first selected row in list order, or null.
    CConfigPairItem* selectedItem() const;
    // Whether the server keeps a hosts file; tells the user when it does not.
    bool offersHosts();
    static std::shared_ptr<IRemoteHosts> hostsFile();
    // Asks before a file that could not be read is replaced.
    bool confirmReplace();
    // Whether the file still holds the hosts this session last knew it to hold.
    bool stillAsKnown(CTraceScope& scope, IRemoteHosts& file);
    // Asks before another session's change of the file is overwritten.
    bool confirmOverwrite();
    void placeChildren();

    CConfigListCtrl* m_list = nullptr;
    CTouchScrollBtn* m_scroll = nullptr;
    bool m_available = false;
    // Why the file could not be read; empty when it was read or did not exist.
    std::string m_unreadable;
    // The hosts as the file held them when the page was built.
    std::vector<RemoteHost> m_loadedHosts;
    // The hosts as this session last knew the file to hold them: as read, then as written.
    // Another session's write since shows as a difference.
    std::vector<RemoteHost> m_knownHosts;
};
