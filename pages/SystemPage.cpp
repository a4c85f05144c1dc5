#include "SystemPage.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigStatusItem.h"
#include "items/ConfigTextItems.h"
#include "platform/Metrics.h"
#include "platform/StringTable.h"
#include "platform/TouchScrollButtons.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <QTimerEvent>

#include <fmt/printf.h>

namespace {

constexpr const char* kReference = "./Config/System/SystemVideoReference";
constexpr const char* kTimeOfDay = "./Config/System/TimeOfDay";
constexpr const char* kAudioReference = "./Config/System/SystemAudioReference";
constexpr int kStatusPeriodMs = 1000;

XmlNode rootOf(XmlDocument* document) {
    return document ? document->documentNode() : XmlNode();
}

} // namespace

CSystemPage::CSystemPage() : CTouchPropertyPage(QStringLiteral("System")) {}

CSystemPage::~CSystemPage() = default;

bool CSystemPage::OnInitDialog() {
    CTraceScope scope("CSystemPage::OnInitDialog");
    scope.Run([&] {
        AddFileWizardButtons();

        m_list = CreateScrolledList(this, m_scroll);

        buildItems(scope);
        m_timerId = startTimer(kStatusPeriodMs);
        m_list->SetFrozen(false);
    });
    return true;
}

void CSystemPage::buildItems(CTraceScope& scope) {
    m_list->SetFrozen(true);
    CConfigState state;
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    m_builtGeneration = state.DocumentGeneration();
    scope.Check(CreateVideoRefConfig(document.get()));
    scope.Check(CreateTimeOfDayConfig(document.get()));
    scope.Check(CreateAudioRefConfig(document.get()));
}

void CSystemPage::reload() {
    if (m_list)
        ReloadList(*m_list, m_builtGeneration, "CSystemPage::Rebuild",
                   [this](CTraceScope& scope) { buildItems(scope); });
}

HRESULT CSystemPage::CreateVideoRefConfig(XmlDocument*) {
    CTraceScope scope("CSystemPage::CreateVideoRefConfig");
    return scope.Run([&] {
        m_list->AddItem(
            new CConfigTextItem(IDS_VIDEO_REFERENCE, "", "", ITEM_UNBOUND | ITEM_LOCAL, this));
        auto* standard =
            new CConfigChoiceItem(IDS_REFERENCE_STANDARD, kReference, "referenceStandard",
                                  ITEM_INDENT | ITEM_RELAYOUT, this);
        standard->AddChoice(IDS_NTSC_59_94_HZ, Variant("Format525_29_97Hz_2To1"));
        standard->AddChoice(IDS_PAL_50_HZ, Variant("Format625_25Hz_2To1"));
        standard->SetInterlock(INTERLOCK_REFERENCE_STANDARD, -1);
        m_list->AddItem(standard);
        m_list->AddItem(
            new CConfigStatusItem(IDS_REFERENCE_PRESENT, 0, "referencePresent", Variant(false)));
        m_list->AddItem(
            new CConfigStatusItem(IDS_REFERENCE_LOCKED, 0, "referenceLocked", Variant(false)));
    });
}

HRESULT CSystemPage::CreateTimeOfDayConfig(XmlDocument* document) {
    CTraceScope scope("CSystemPage::CreateTimeOfDayConfig");
    return scope.Run([&] {
        m_list->AddItem(new CConfigTextItem(IDS_TIME_OF_DAY, "", "",
                                            ITEM_UNBOUND | ITEM_SEPARATOR | ITEM_LOCAL, this));
        const XmlNode root = rootOf(document);
        std::string current;
        ReadXPathValue(root, std::string(kTimeOfDay) + "/@ltcInputId", current);

        // Channels with an LTC input of their own, in document order.
        std::vector<std::string> channels;
        std::string selection;
        for (const XmlNode& channel : root.selectNodes("//Channel")) {
            const std::string id = channel.attribute("id");
            std::string ltc;
            ReadXPathValue(
                root,
                fmt::sprintf("//LtcInput[@id=//Channel[@id=%s]/Timecode/LtcInputComponent/@id]/@id",
                             XPathLiteral(id)),
                ltc);
            if (ltc.empty())
                continue;
            channels.push_back(id);
            if (ltc == current)
                selection = id;
        }

        auto* source = new CConfigChoiceItem(IDS_TIME_OF_DAY_SOURCE, kTimeOfDay, "timeOfDaySource",
                                             ITEM_INDENT | ITEM_RELAYOUT, this);
        source->AddChoice(IDS_SYSTEM_CLOCK, Variant("Windows"));
        source->AddChoice(IDS_LTC_INPUT, Variant("Ltc"));
        m_list->AddItem(source);

        const XmlNode system = root.selectSingleNode("//LtcInputSystem");
        if (system.isNull() && channels.size() < 2)
            return;
        auto* ltcSource = new CConfigChoiceItem(IDS_TIME_OF_DAY_LTC_SOURCE, kTimeOfDay,
                                                "ltcInputId", ITEM_INDENT | ITEM_LOCAL, this);
        ltcSource->ShowIf(std::string(kTimeOfDay) + "/@timeOfDaySource", Variant("Ltc"));
        if (!system.isNull()) {
            const std::string systemText = LoadString(IDS_SYSTEM);
            ltcSource->AddChoice(IDS_SYSTEM, Variant(systemText));
            if (system.attribute("id") == current)
                selection = systemText;
        }
        for (const std::string& id : channels)
            ltcSource->AddChoice(id, Variant(id));
        // An id that is none of the choices shows as it is stored, so that it can be mended.
        ltcSource->SetLocalValue(Variant(selection.empty() ? current : selection));
        m_list->AddItem(ltcSource);
    });
}

HRESULT CSystemPage::CreateAudioRefConfig(XmlDocument* document) {
    CTraceScope scope("CSystemPage::CreateAudioRefConfig");
    return scope.Run([&] {
        if (rootOf(document).selectSingleNode("//AudioInput/AudioInputAnalog").isNull())
            return;
        m_list->AddItem(new CConfigTextItem(IDS_AUDIO_REFERENCE, "", "",
                                            ITEM_UNBOUND | ITEM_SEPARATOR | ITEM_LOCAL, this));
        auto* level = new CConfigChoiceItem(IDS_AUDIO_REFERENCE_LEVEL, kAudioReference,
                                            "audioUnityLevel", ITEM_INDENT, this);
        level->AddChoice(IDS_0_DBU, Variant(std::int32_t{0}));
        level->AddChoice(IDS_PLUS_4_DBU, Variant(std::int32_t{4}));
        level->AddChoice(IDS_PLUS_8_DBU, Variant(std::int32_t{8}));
        m_list->AddItem(level);
    });
}

LRESULT CSystemPage::OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONFIG_RELAYOUT:
        reload();
        return 0;
    case WM_CONFIG_ITEM_CHANGED: {
        CConfigItem* item = ChangedItemOf(m_list, lParam);
        return item ? OnItemChange(wParam, item) : 0;
    }
    default:
        return 0;
    }
}

void CSystemPage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    if (m_list && m_scroll)
        PlaceBesideScrollButton(m_list, m_scroll, size(), 0);
}

void CSystemPage::showEvent(QShowEvent* event) {
    reload();
    CTouchPropertyPage::showEvent(event);
}

void CSystemPage::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timerId && m_list)
        m_list->UpdateStatusAll();
    else
        CTouchPropertyPage::timerEvent(event);
}

bool CSystemPage::HasChanges() {
    return m_list && m_list->AnyItemDiffersFromStart();
}
