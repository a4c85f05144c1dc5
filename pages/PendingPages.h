#pragma once
// Pages of the sheet whose content is not built yet. Each answers the sheet's page
// protocol: it can be created, has a page-button handler and takes relayout requests.
// Their OK duties do nothing yet, so nothing the server holds is overwritten.

#include "platform/TouchPropertySheet.h"

class CPanelPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CPanelPage() : CTouchPropertyPage(QStringLiteral("PanelPage")) {}
};

class CRemotePage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CRemotePage() : CTouchPropertyPage(QStringLiteral("RemotePage")) {}
    // Writes the remote hosts list; until the page edits it, the stored file stays as it is.
    void SaveRemoteHosts() {}
};

class CSecurityPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CSecurityPage() : CTouchPropertyPage(QStringLiteral("SecurityPage")) {}
    // Applies edited protocol users; none can be edited yet, so all is well.
    bool ApplyProtocolUsers() { return true; }
};
