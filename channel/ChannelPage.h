#pragma once
// The Channel page: one tab per channel. Its tabs are not built yet; it answers the page
// protocol of the sheet and shows the Save, Load and Restore buttons.

#include "platform/TouchPropertySheet.h"

class CChannelPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CChannelPage();

protected:
    bool OnInitDialog() override;
};
