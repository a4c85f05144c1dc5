#include "ChannelPage.h"

CChannelPage::CChannelPage() : CTouchPropertyPage(QStringLiteral("ChannelPage")) {}

bool CChannelPage::OnInitDialog() {
    AddWizardButton(QStringLiteral("Save"));
    AddWizardButton(QStringLiteral("Load"));
    AddWizardButton(QStringLiteral("Restore"));
    return true;
}
