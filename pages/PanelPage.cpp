#include "PanelPage.h"

#include "PanelRows.h"

#include "items/ConfigListCtrl.h"
#include "platform/Metrics.h"
#include "platform/StringIds.h"
#include "platform/TouchScrollButtons.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

namespace {

using Row = PanelRow;

Row yesNoRow(int labelId, const char* attribute) {
    return {
        labelId, attribute, ITEM_INDENT, {{IDS_YES, Variant("true")}, {IDS_NO, Variant("false")}}};
}

// The speed ranges, shown everywhere the panel is used.
const std::vector<Row>& jogShuttleRows() {
    static const std::vector<Row> rows = {
        {IDS_JOG_SHUTTLE, nullptr, ITEM_UNBOUND | ITEM_LOCAL},
        {IDS_JOG_SPEED,
         "jogSpeedMax",
         ITEM_INDENT,
         {{IDS_MINUS_1X_TO_1X, Variant(std::int32_t{1})},
          {IDS_MINUS_1X_TO_3X, Variant(std::int32_t{3})}}},
        // Both ends of the range are written together by the page's shuttle accessors.
        {IDS_SHUTTLE_SPEED,
         "",
         ITEM_INDENT | ITEM_LOCAL,
         {{IDS_MINUS_16X_TO_16X, Variant(std::int32_t{16})},
          {IDS_MINUS_32X_TO_32X, Variant(std::int32_t{32})}}},
        {IDS_VAR_SETTING,
         "varSetting",
         ITEM_INDENT,
         {{IDS_0_25X, Variant(0.25f)}, {IDS_0_50X, Variant(0.5f)}, {IDS_0_75X, Variant(0.75f)}}},
        yesNoRow(IDS_ALWAYS_START_AT_VAR_PRESET, "varPreset"),
    };
    return rows;
}

// What only the server's own screen has: a workstation has no such panel controls.
const std::vector<Row>& panelOptionRows() {
    static const std::vector<Row> rows = {
        {IDS_PANEL_OPTIONS, nullptr, ITEM_UNBOUND | ITEM_SEPARATOR | ITEM_LOCAL},
        {IDS_VOLUME_KNOB,
         "knobCtrlXlr",
         ITEM_INDENT,
         {{IDS_FRONT_REAR_MONITOR, Variant("true")}, {IDS_FRONT_MONITOR_ONLY, Variant("false")}}},
        {IDS_RECORD_BUTTON,
         "recordButton",
         ITEM_INDENT,
         {{IDS_RECORD_ONLY, Variant("RecordOnly")}, {IDS_PLAY_RECORD, Variant("PlayAndRecord")}}},
        {IDS_FULL_SCREEN_MONITOR,
         "fullScreenMode",
         ITEM_INDENT,
         {{IDS_SINGLE_CHANNEL, Variant("Single")}, {IDS_MULTIPLE_CHANNELS, Variant("Multiple")}}},
    };
    return rows;
}

} // namespace

CPanelPage::CPanelPage() : CTouchPropertyPage(QStringLiteral("PanelPage")) {}

CPanelPage::~CPanelPage() = default;

bool CPanelPage::OnInitDialog() {
    CTraceScope scope("CPanelPage::OnInitDialog");
    scope.Run([&] {
        AddFileWizardButtons();
        m_list = CreateScrolledList(this, m_scroll);
        buildItems(scope);
        m_list->SetFrozen(false);
    });
    return true;
}

void CPanelPage::buildItems(CTraceScope& scope) {
    m_list->SetFrozen(true);
    m_builtGeneration = CConfigState().DocumentGeneration();
    scope.Check(CreateJogShuttleConfig());
    if (!IsWorkstationMode())
        scope.Check(CreatePanelOptionsConfig());
}

void CPanelPage::reload() {
    if (m_list)
        ReloadList(*m_list, m_builtGeneration, "CPanelPage::Rebuild",
                   [this](CTraceScope& scope) { buildItems(scope); });
}

HRESULT CPanelPage::CreateJogShuttleConfig() {
    CTraceScope scope("CPanelPage::CreateJogShuttleConfig");
    return scope.Run([&] {
        AddPanelRows(*m_list, jogShuttleRows(), this);
        CConfigItem* shuttle = m_list->FindItem(IDS_SHUTTLE_SPEED);
        shuttle->SetGetCallback(&CPanelPage::GetCustomShuttleSpeed, 0);
        shuttle->SetPutCallback(&CPanelPage::PutCustomShuttleSpeed, 0);
    });
}

HRESULT CPanelPage::CreatePanelOptionsConfig() {
    CTraceScope scope("CPanelPage::CreatePanelOptionsConfig");
    return scope.Run([&] { AddPanelRows(*m_list, panelOptionRows(), this); });
}

LRESULT CPanelPage::OnConfigMessage(unsigned message, WPARAM, LPARAM) {
    // A change needs no rule here: the shuttle accessors keep the range symmetric.
    if (message == WM_CONFIG_RELAYOUT)
        reload();
    return 0;
}

void CPanelPage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    if (m_list && m_scroll)
        PlaceBesideScrollButton(m_list, m_scroll, size(), 0);
}

void CPanelPage::showEvent(QShowEvent* event) {
    reload();
    CTouchPropertyPage::showEvent(event);
}

bool CPanelPage::HasChanges() {
    return m_list && m_list->AnyItemDiffersFromStart();
}
