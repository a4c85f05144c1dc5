// The channel dialog: building its list, the rows-from-tables routine, its window
// messages, geometry and status timer.

#include "ChannelDlg.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigSliderItem.h"
#include "items/ConfigStatusItem.h"
#include "items/ConfigTextItems.h"
#include "platform/Metrics.h"
#include "platform/TouchScrollButtons.h"
#include "platform/TouchWidgets.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <QTimerEvent>
#include <QWheelEvent>

#include <fmt/printf.h>

CChannelDlg::CChannelDlg() {
    setAutoFillBackground(true);
    applyTouchBackground(this);
}

CChannelDlg::~CChannelDlg() = default;

bool CChannelDlg::Create(int channelIndex, const std::string& channelId, QWidget* parent) {
    m_channelIndex = channelIndex;
    m_channelId = channelId;
    setParent(parent);
    OnInitDialog();
    return true;
}

std::string CChannelDlg::path(const char* xpathTemplate) const {
    std::string xpath = fmt::sprintf(xpathTemplate, m_channelIndex);
    for (const auto& [reference, resolved] : m_components) {
        if (xpath.starts_with(reference))
            xpath.replace(0, reference.size(), resolved);
    }
    return xpath;
}

void CChannelDlg::resolveComponents(const XmlNode& root) {
    m_components.clear();
    using namespace ChannelPath;
    for (const char* reference : {kInput, kOutput, kCodec}) {
        const std::string referencePath = path(reference);
        // "//Element[@id=...]": the element name, and the reference to its id.
        const std::size_t bracket = referencePath.find('[');
        const std::string idPath =
            referencePath.substr(bracket + 5, referencePath.size() - bracket - 6);
        std::string id;
        if (ReadXPathValue(root, idPath, id) == S_OK)
            m_components.emplace_back(referencePath, referencePath.substr(0, bracket) +
                                                         "[@id=" + XPathLiteral(id) + "]");
    }
}

bool CChannelDlg::exists(const std::string& xpath) const {
    return !root().selectSingleNode(xpath).isNull();
}

void CChannelDlg::OnInitDialog() {
    CTraceScope scope("CChannelDlg::OnInitDialog");
    scope.Run([&] {
        m_list = CreateScrolledList(this, m_scroll);
        m_list->SetFrozen(true);

        if (m_channelIndex == kNoChannelIndex) {
            // Missing, not a number, or another channel's: its rows would be another's.
            m_list->AddItem(new CConfigTextItem(
                "Settings not shown: the channelIndex is not usable", "", "", ITEM_UNBOUND, this));
            scope.Fail(E_INVALIDARG, __FILE__, __LINE__,
                       "Channel %s has no channelIndex of its own", m_channelId);
        }
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        if (!document)
            scope.RaiseComError(E_POINTER);
        readChannelFacts(document->documentNode());
        buildItems(scope, document.get());
    });
    // The timer runs and the list shows whatever was built, also after a failed builder.
    if (m_list) {
        m_statusTimer = startTimer(kStatusPeriodMs);
        m_list->SetFrozen(false);
    }
}

void CChannelDlg::readChannelFacts(const XmlNode& root) {
    using namespace ChannelPath;
    resolveComponents(root);
    const std::string input = path(kInput);
    const std::string output = path(kOutput);
    const auto has = [&](const std::string& xpath) {
        return !root.selectSingleNode(xpath).isNull();
    };
    m_flags.inputVitc = has(input + "/VideoInputVitc");
    m_flags.outputVitc = has(output + "/VideoOutputVitc");
    m_flags.mpegCodec = has(path(kCodec) + "/Mpeg");
    m_flags.output1080 = has(output + "/VideoOutputFormat/Format1080_29_97Hz_2To1");
    m_flags.output720 = has(output + "/VideoOutputFormat/Format720_59_94Hz_1To1");
    m_flags.outputXga = has(output + "/VideoOutputFormat/FormatXga_59_94Hz_1To1");
    m_flags.outputWxga = has(output + "/VideoOutputFormat/FormatWxga_59_94Hz_1To1");
    m_flags.outputComposite = has(output + "/VideoOutputAnalogComposite");
    m_flags.inputComposite = has(input + "/VideoInputAnalogComposite");
    ReadXPathValue(root, path(kCodec) + "/Mpeg/@profileLevel", m_profileLevel);
    m_outputFormatPath = path(kOutputFormat);
    m_inputFormatPath = path(kInputFormat);
    m_flags.ancData = has(path(kChannel) + "/AncData");
    ReadXPathValue(
        root, fmt::sprintf("Config/Channel[@channelIndex=\"%d\"]/@channelType", m_channelIndex),
        m_channelType);
}

void CChannelDlg::buildItems(CTraceScope& scope, XmlDocument* document) {
    const bool records = m_channelType == "Recorder" || m_channelType == "PlayerRecorder";
    const bool plays = m_channelType == "Player" || m_channelType == "PlayerRecorder";
    const bool proPanel = CConfigState().IsProPanel();
    if (records) {
        scope.Check(CreateCompressionConfig(document));
        scope.Check(CreateVideoInputTypeConfig(document));
        scope.Check(CreateVitcInputConfig(document));
        scope.Check(CreateAncTcInputConfig(document));
        scope.Check(CreateAudioInputConfig(document));
        if (proPanel)
            scope.Check(CreateAudioInputMapConfig(document));
        scope.Check(CreateAncDataConfig(document));
    }
    if (plays) {
        scope.Check(CreateVideoOutputTypeConfig(document));
        scope.Check(CreateVideoOutputModeConfig(document));
        scope.Check(CreateOutputProcAmpConfig(document));
        scope.Check(CreateOutputTimingConfig(document));
        scope.Check(CreateVitcOutputConfig(document));
        scope.Check(CreateAncTcOutputConfig(document));
        scope.Check(CreateAfdOutputConfig(document));
        scope.Check(CreateAudioOutputConfig(document));
        if (proPanel)
            scope.Check(CreateAudioOutputMapConfig(document));
    }
    scope.Check(CreateMonitorConfig(document));
}

CConfigItem* CChannelDlg::AddRow(const RowSpec& row) {
    if (row.builtIf && !(m_flags.*row.builtIf))
        return nullptr;
    const std::string element = row.element[0] ? path(row.element) : std::string();
    CConfigItem* item = nullptr;
    switch (row.kind) {
    case RowKind::Heading:
        item = new CConfigTextItem(row.labelId, "", "", row.flags, this);
        break;
    case RowKind::Status:
        item = new CConfigStatusItem(row.labelId, m_channelIndex, row.attribute,
                                     Variant(std::int32_t{0}));
        break;
    case RowKind::Slider: {
        auto* slider = new CConfigSliderItem(row.labelId, element, row.attribute, row.flags, this);
        const RowRange& r = row.range;
        slider->SetRange(Variant(std::int32_t{r.minimum}), Variant(std::int32_t{r.defaultValue}),
                         Variant(std::int32_t{r.maximum}));
        slider->SetRangeLabels(r.minimumLabel, r.middleLabel, r.maximumLabel);
        slider->SetTickFrequency(r.tickFrequency);
        if (r.units)
            slider->SetUnits(r.units);
        item = slider;
        break;
    }
    case RowKind::Choice: {
        auto* choice = new CConfigChoiceItem(row.labelId, element, row.attribute, row.flags, this);
        for (const RowChoice& offer : row.choices) {
            if (offer.offeredIf && !(m_flags.*offer.offeredIf))
                continue;
            if (offer.child && !exists(element + "/" + offer.child))
                continue;
            choice->AddChoice(offer.labelId, Variant(offer.value));
        }
        item = choice;
        break;
    }
    }
    for (const RowCondition& condition : row.conditions) {
        if (condition.any)
            item->ShowIfAny(path(condition.xpath), Variant(condition.value));
        else
            item->ShowIf(path(condition.xpath), Variant(condition.value));
    }
    if (row.interlock)
        item->SetInterlock(row.interlock, m_channelIndex);
    m_list->AddItem(item);
    return item;
}

void CChannelDlg::useAccessors(CConfigItem& item, GetMember get, PutMember put) {
    item.SetGetCallback(
        [this, get](XmlDocument* document, CConfigItem& each, std::intptr_t context,
                    Variant& value) { return (this->*get)(document, each, context, value); },
        0);
    item.SetPutCallback(
        [this, put](const Variant& value, XmlDocument* document, CConfigItem& each,
                    std::intptr_t context) { return (this->*put)(value, document, each, context); },
        0);
}

void CChannelDlg::AddRows(const std::vector<RowSpec>& rows) {
    for (const RowSpec& row : rows)
        AddRow(row);
}

LRESULT CChannelDlg::OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONFIG_RELAYOUT:
        if (m_list)
            m_list->Relayout(true);
        return 0;
    case WM_CONFIG_ITEM_CHANGED: {
        CConfigItem* item = ChangedItemOf(m_list, lParam);
        return item ? OnItemChange(wParam, item) : 0;
    }
    case WM_CONFIG_RANGE_LIMIT: {
        // A slider stepped past its range stays at its limit.
        CTraceScope scope("CChannelDlg::OnItemChange");
        return 0;
    }
    default:
        return 0;
    }
}

void CChannelDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_list && m_scroll)
        PlaceBesideScrollButton(m_list, m_scroll, size(), FrmwkGetMetrics(METRIC_ROW_HEIGHT) / 2);
}

void CChannelDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_statusTimer && m_list)
        m_list->UpdateStatusAll();
    else
        QWidget::timerEvent(event);
}

void CChannelDlg::wheelEvent(QWheelEvent* event) {
    if (m_list)
        m_list->Scroll(event->angleDelta().y() >= 1 ? SB_LINEUP : SB_LINEDOWN);
    event->accept();
}
