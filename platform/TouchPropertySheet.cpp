#include "TouchPropertySheet.h"

#include "Metrics.h"
#include "TouchTab.h"
#include "TouchWidgets.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayoutItem>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// A button along the bottom of the sheet: wide, and never pressed by Enter on its own.
QPushButton* sheetButton(const QString& text, QWidget* sheet) {
    QPushButton* button = makeTouchButton(text, sheet);
    button->setMinimumWidth(2 * TouchTargetHeight());
    button->setAutoDefault(false);
    return button;
}

} // namespace

CTouchPropertyPage::CTouchPropertyPage(const QString& text) : m_text(text), m_name(text) {
    setAutoFillBackground(true);
    applyTouchBackground(this);
}

bool CTouchPropertyPage::Create(QWidget* parent) {
    if (m_created)
        return true;
    setParent(parent);
    m_created = true;
    OnInitDialog();
    return true;
}

void CTouchPropertyPage::AddFileWizardButtons() {
    for (const char* text : {"Save", "Load", "Restore", "History"})
        AddWizardButton(QString::fromLatin1(text));
}

int CTouchPropertyPage::AddWizardButton(const QString& text) {
    m_buttons << text;
    emit wizardButtonsChanged();
    return ID_WIZARD_BUTTON_FIRST + static_cast<int>(m_buttons.size()) - 1;
}

bool CTouchPropertyPage::OnWizardButton(int) {
    return false;
}

bool CTouchPropertyPage::OnInitDialog() {
    return true;
}

CTouchPropertySheet::CTouchPropertySheet(const QString& caption, QSize size, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    resize(size);
    applyTouchBackground(this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, FrmwkGetMetrics(METRIC_MARGIN));
    m_tabs = new CTouchTab(this);
    m_tabs->setExpanding(true);
    m_tabs->SetStandardStyle(60);
    // A kiosk screen shows no title bar: the title, which names the host and the user,
    // stands inside at the top.
    column->addWidget(makeCaptionHeading(this));
    // The tabs, and at their right the help for touch users, who have no F1.
    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    top->addWidget(m_tabs, 1);
    m_help = new QPushButton(QStringLiteral("?"), this);
    m_help->setObjectName(QStringLiteral("Help"));
    m_help->setFont(FrmwkGetFont(FONT_HEADING));
    m_help->setFocusPolicy(Qt::NoFocus);
    // A finger's size, however low the tabs beside it are.
    m_help->setStyleSheet(
        QStringLiteral("QPushButton { min-width: %1px; max-width: %1px; min-height: %1px;"
                       " background: %2; border: 1px solid %3; }")
            .arg(TouchTargetHeight())
            .arg(FrmwkGetColor(COLOR_TAB).name(), FrmwkGetColor(COLOR_BACKGROUND).name()));
    top->addWidget(m_help);
    column->addLayout(top);
    m_stack = new QStackedWidget(this);
    column->addWidget(m_stack, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(FrmwkGetMetrics(METRIC_MARGIN), 0, FrmwkGetMetrics(METRIC_MARGIN),
                               0);
    m_pageButtons = new QHBoxLayout;
    bottom->addLayout(m_pageButtons);
    bottom->addStretch();
    m_ok = sheetButton(QStringLiteral("OK"), this);
    m_cancel = sheetButton(QStringLiteral("Cancel"), this);
    bottom->addWidget(m_cancel);
    bottom->addWidget(m_ok);
    column->addLayout(bottom);

    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index < GetPageCount()) {
            m_stack->setCurrentWidget(m_pages[static_cast<std::size_t>(index)]);
            showPageButtons();
        }
    });
}

void CTouchPropertySheet::AddPage(CTouchPropertyPage* page) {
    m_pages.push_back(page);
    m_stack->addWidget(page);
    connect(page, &CTouchPropertyPage::wizardButtonsChanged, this, [this, page] {
        if (page == GetActivePage())
            showPageButtons();
    });
    m_tabs->addTab(page->PageName());
}

void CTouchPropertySheet::SetActivePage(CTouchPropertyPage* page) {
    for (int i = 0; i < GetPageCount(); ++i) {
        if (m_pages[static_cast<std::size_t>(i)] == page)
            SetActivePage(i);
    }
}

void CTouchPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount())
        return;
    m_tabs->setCurrentIndex(index);
    m_stack->setCurrentWidget(m_pages[static_cast<std::size_t>(index)]);
    showPageButtons();
}

CTouchPropertyPage* CTouchPropertySheet::GetActivePage() const {
    const int index = m_tabs->currentIndex();
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)]
                                                : nullptr;
}

CTouchPropertyPage* CTouchPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)]
                                                : nullptr;
}

void CTouchPropertySheet::UpdateChangeMarks() {
    for (int index = 0; index < GetPageCount(); ++index)
        m_tabs->SetTabMarked(index, GetPage(index)->HasChanges());
}

bool CTouchPropertySheet::IsPageMarked(int index) const {
    return m_tabs->IsTabMarked(index);
}

void CTouchPropertySheet::PressWizardButton(int index) {
    const CTouchPropertyPage* page = GetActivePage();
    if (page && index >= 0 && index < page->WizardButtons().size())
        OnWizardButtons(ID_WIZARD_BUTTON_FIRST + index);
}

void CTouchPropertySheet::showPageButtons() {
    // A button may be the one whose click led here: it goes once the click is over.
    while (QLayoutItem* item = m_pageButtons->takeAt(0)) {
        if (QWidget* button = item->widget()) {
            button->hide();
            button->deleteLater();
        }
        delete item;
    }
    const CTouchPropertyPage* page = GetActivePage();
    if (!page)
        return;
    for (int i = 0; i < page->WizardButtons().size(); ++i) {
        QPushButton* button = sheetButton(page->WizardButtons()[i], this);
        connect(button, &QPushButton::clicked, this,
                [this, i] { OnWizardButtons(ID_WIZARD_BUTTON_FIRST + i); });
        m_pageButtons->addWidget(button);
    }
}

void CTouchPropertySheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        OnHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CTouchPropertySheet::reject() {
    OnCancel();
}
