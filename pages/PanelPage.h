#pragma once
// The Panel page of the sheet. Its rows are not built yet: it answers the sheet's page
// protocol (created, page buttons, relayout requests) and changes nothing.

#include "platform/TouchPropertySheet.h"

class CPanelPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CPanelPage() : CTouchPropertyPage(QStringLiteral("PanelPage")) {}
};
