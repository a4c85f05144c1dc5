#pragma once
// The Security page of the sheet. Its rows are not built yet: it answers the sheet's page
// protocol and no protocol user can be edited.

#include "platform/TouchPropertySheet.h"

class CSecurityPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CSecurityPage() : CTouchPropertyPage(QStringLiteral("SecurityPage")) {}
    // Applies edited protocol users; none can be edited yet, so all is well.
    bool ApplyProtocolUsers() { return true; }
};
