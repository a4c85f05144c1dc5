#include "GpiPage.h"

#include "GpiDialogs.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TouchTab.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

CGpiPage::CGpiPage() : CTouchPropertyPage(QStringLiteral("GpiPage")) {}

CGpiPage::~CGpiPage() = default;

bool CGpiPage::OnInitDialog() {
    CTraceScope scope("CGpiPage::OnInitDialog");
    scope.Run([&] {
        AddFileWizardButtons();
        m_tabs = new CTouchTab(this);
        m_tabs->setObjectName(QStringLiteral("GpiTabs"));
        m_tabs->SetStandardStyle(CTouchTab::kPageTabWidth);
        m_tabs->addTab(QString::fromStdString(LoadString(IDS_GPI_INPUT_TAB)));
        m_input = new CGpiInputDlg(this);
        m_input->Create();
        m_tabs->addTab(QString::fromStdString(LoadString(IDS_GPI_OUTPUT_TAB)));
        m_output = new CGpiOutputDlg(this);
        m_output->Create();
        m_output->hide();
        connect(m_tabs, &QTabBar::currentChanged, this, &CGpiPage::OnSelChange);
        placeDialogs();
    });
    return true;
}

CGpiListDlg* CGpiPage::dialog(int index) const {
    return index == 0 ? static_cast<CGpiListDlg*>(m_input) : m_output;
}

void CGpiPage::SelectTab(int index) {
    if (m_tabs && index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
}

void CGpiPage::OnSelChange(int index) {
    if (!m_input || !m_output)
        return;
    ShowChosenTab(dialog(index), dialog(index == 0 ? 1 : 0));
}

LRESULT CGpiPage::OnConfigMessage(unsigned message, WPARAM, LPARAM) {
    if (message == WM_CONFIG_RELAYOUT && m_input && m_output) {
        SendMessage(m_input, WM_CONFIG_RELAYOUT, 0, 0);
        SendMessage(m_output, WM_CONFIG_RELAYOUT, 0, 0);
    }
    return 0;
}

void CGpiPage::placeDialogs() {
    PlaceUnderTabs(*this, m_tabs, {m_input, m_output});
}

void CGpiPage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    placeDialogs();
}

void CGpiPage::showEvent(QShowEvent* event) {
    OnConfigMessage(WM_CONFIG_RELAYOUT, 0, 0);
    CTouchPropertyPage::showEvent(event);
}

bool CGpiPage::HasChanges() {
    return CConfigState().PartDiffersFromStart(kChangePart);
}
