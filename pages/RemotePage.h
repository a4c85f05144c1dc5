#pragma once
// The Remote hosts page of the sheet. Its rows are not built yet: it answers the sheet's
// page protocol and leaves the stored remote hosts file as it is.

#include "platform/TouchPropertySheet.h"

class CRemotePage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CRemotePage() : CTouchPropertyPage(QStringLiteral("RemotePage")) {}
    // Writes the remote hosts list; until the page edits it, the stored file stays as it is.
    void SaveRemoteHosts() {}
};
