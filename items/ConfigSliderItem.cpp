#include "ConfigSliderItem.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/TouchWidgets.h"
#include "platform/WindowMessages.h"
#include "state/ConfigCheckpoint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QStyleOption>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A value as the list and the dialog show it: "42 ms"; a value without a unit stays bare.
std::string withUnits(std::string text, const std::string& units) {
    if (!units.empty())
        text += " " + units;
    return text;
}

constexpr int kApplyDelayMs = 100;
// A finger grabs the handle and hits the track anywhere across this height.
constexpr int kGrabSize = 44;

// The program's style with a slider handle and track sized for a finger.
class TouchSliderStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_SliderLength:
        case PM_SliderControlThickness:
        case PM_SliderThickness:
            return kGrabSize;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// A horizontal slider whose whole height is its track: a touch above or below the thin
// groove pages as a touch on it would.
class TouchSlider : public QSlider {
public:
    explicit TouchSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
        auto* style = new TouchSliderStyle;
        style->setParent(this);
        setStyle(style);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        QPointF at = event->position();
        if (!handle.contains(at.toPoint()))
            at.setY(groove.center().y());
        QMouseEvent onTrack(event->type(), at, event->globalPosition(), event->button(),
                            event->buttons(), event->modifiers());
        QSlider::mousePressEvent(&onTrack);
        event->setAccepted(onTrack.isAccepted());
    }
};

std::int32_t asInteger(const Variant& value) {
    std::int32_t number = 0;
    value.toInt32(number);
    return number;
}

} // namespace

CConfigSliderDlg::CConfigSliderDlg() {
    resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH),
           FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT) - 2 * FrmwkGetMetrics(METRIC_CAPTION_HEIGHT));
    applyTouchBackground(this);
    setStyleSheet(touchStyleSheet());

    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    auto* valueRow = new QHBoxLayout;
    m_down = makeTouchButton(QStringLiteral("\u25C0"), this);
    m_edit = makeTouchEdit(this);
    m_edit->setReadOnly(true);
    m_edit->setAlignment(Qt::AlignCenter);
    m_up = makeTouchButton(QStringLiteral("\u25B6"), this);
    valueRow->addWidget(m_down);
    valueRow->addWidget(m_edit, 1);
    valueRow->addWidget(m_up);
    column->addLayout(valueRow);

    m_slider = new TouchSlider(this);
    m_slider->setObjectName(QStringLiteral("Track"));
    m_slider->setMinimumHeight(std::max(TouchTargetHeight(), kGrabSize));
    m_slider->setTickPosition(QSlider::TicksBelow);
    column->addWidget(m_slider);

    auto* labelRow = new QHBoxLayout;
    const Qt::Alignment alignments[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setFont(FrmwkGetFont(FONT_SMALL));
        m_labels[i]->setAlignment(alignments[i] | Qt::AlignBottom);
        labelRow->addWidget(m_labels[i], 1);
    }
    column->addLayout(labelRow);
    column->addStretch();

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = makeTouchButton(QStringLiteral("OK"), this);
    QPushButton* reset = makeTouchButton(QStringLiteral("Default"), this);
    QPushButton* cancel = makeTouchButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(ok);
    buttons->addStretch();
    buttons->addWidget(reset);
    buttons->addStretch();
    buttons->addWidget(cancel);
    column->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(reset, &QPushButton::clicked, this, &CConfigSliderDlg::RestoreDefault);
    connect(m_down, &QPushButton::clicked, this, &CConfigSliderDlg::StepDown);
    connect(m_up, &QPushButton::clicked, this, &CConfigSliderDlg::StepUp);
    connect(m_slider, &QSlider::sliderMoved, this, &CConfigSliderDlg::MoveTo);
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        // Clicks on the groove and keys move by the slider's own steps.
        if (action != QSlider::SliderMove && action != QSlider::SliderNoAction)
            MoveTo(m_slider->sliderPosition());
    });
}

std::int32_t CConfigSliderDlg::Minimum() const {
    return asInteger(m_minimum);
}
std::int32_t CConfigSliderDlg::Maximum() const {
    return asInteger(m_maximum);
}

void CConfigSliderDlg::SetRange(const Variant& minimum, const Variant& defaultValue,
                                const Variant& maximum) {
    m_minimum = minimum;
    m_default = defaultValue;
    m_maximum = maximum;
}

void CConfigSliderDlg::SetRangeLabels(const std::string& minimum, const std::string& middle,
                                      const std::string& maximum) {
    m_minimumLabel = minimum;
    m_middleLabel = middle;
    m_maximumLabel = maximum;
}

void CConfigSliderDlg::SetCurrent(const Variant& value) {
    m_current = Variant(asInteger(value));
}

void CConfigSliderDlg::Prepare() {
    m_slider->setRange(0, Maximum() - Minimum());
    if (m_tickFrequency != -1)
        m_slider->setTickInterval(m_tickFrequency);
    m_labels[0]->setText(QString::fromStdString(m_minimumLabel));
    m_labels[1]->setText(QString::fromStdString(m_middleLabel));
    m_labels[2]->setText(QString::fromStdString(m_maximumLabel));
    m_down->setEnabled(true);
    m_up->setEnabled(true);
    showValue();
}

void CConfigSliderDlg::showValue() {
    const QSignalBlocker blocker(m_slider);
    const int span = Maximum() - Minimum();
    m_slider->setRange(0, span);
    // A touch on the track moves a tenth of the way.
    m_slider->setPageStep(std::max(1, span / 10));
    m_slider->setValue(asInteger(m_current) - Minimum());
    m_edit->setText(QString::fromStdString(ValueText()));
}

std::string CConfigSliderDlg::ValueText() const {
    const std::int32_t value = asInteger(m_current);
    return withUnits((value > 0 && Minimum() < 0 ? "+" : "") + std::to_string(value), m_units);
}

void CConfigSliderDlg::setCurrent(std::int32_t value) {
    m_current = Variant(value);
    showValue();
}

void CConfigSliderDlg::StepDown() {
    const std::int32_t current = asInteger(m_current);
    if (current <= Minimum()) {
        hitLimit(false);
        return;
    }
    setCurrent(current - 1);
    changed();
}

void CConfigSliderDlg::StepUp() {
    const std::int32_t current = asInteger(m_current);
    if (current >= Maximum()) {
        hitLimit(true);
        return;
    }
    setCurrent(current + 1);
    changed();
}

void CConfigSliderDlg::MoveTo(int position) {
    setCurrent(Minimum() + position);
    changed();
}

void CConfigSliderDlg::RestoreDefault() {
    m_current = m_default;
    showValue();
    apply();
}

void CConfigSliderDlg::hitLimit(bool above) {
    apply();
    const WPARAM wParam = (static_cast<WPARAM>(m_item ? m_item->GetLabelId() : 0) & 0xFFFF) |
                          (static_cast<WPARAM>(above ? 1 : 0) << 16);
    // A nonzero answer: the owner has moved the item to the adjacent range.
    if (SendMessage(m_owner, WM_CONFIG_RANGE_LIMIT, wParam, ToLParam(m_item)) != 0)
        setCurrent(above ? Minimum() : Maximum());
}

void CConfigSliderDlg::changed() {
    if (m_stepTimer == 0)
        m_stepTimer = startTimer(kApplyDelayMs);
}

void CConfigSliderDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_stepTimer) {
        QDialog::timerEvent(event);
        return;
    }
    killTimer(m_stepTimer);
    m_stepTimer = 0;
    apply();
}

void CConfigSliderDlg::apply() {
    if (m_item && m_owner) {
        m_item->PutAttributeValue(m_current);
        PostMessage(m_owner, WM_CONFIG_ITEM_CHANGED, static_cast<WPARAM>(m_item->GetLabelId()),
                    ToLParam(m_item));
    }
    showValue();
}

void CConfigSliderDlg::DropPendingApply() {
    if (m_stepTimer != 0) {
        killTimer(m_stepTimer);
        m_stepTimer = 0;
    }
}

void CConfigSliderDlg::done(int result) {
    // The timer never outlives a run.
    DropPendingApply();
    QDialog::done(result);
}

CConfigSliderItem::CConfigSliderItem(int labelId, std::string elementXPath,
                                     std::string attributeName, std::uint32_t flags, QObject* owner)
    : CConfigItem(labelId, std::move(elementXPath), std::move(attributeName), flags, owner) {}

CConfigSliderItem::~CConfigSliderItem() = default;

CConfigSliderDlg& CConfigSliderItem::Dialog() {
    if (!m_dialog) {
        m_dialog = std::make_unique<CConfigSliderDlg>();
        m_dialog->setWindowTitle(QString::fromStdString(Label()));
        m_dialog->SetItem(this);
        m_dialog->SetOwner(Owner());
        m_dialog->SetRange(m_range.minimum, m_range.defaultValue, m_range.maximum);
        m_dialog->SetRangeLabels(m_range.labels[0], m_range.labels[1], m_range.labels[2]);
        m_dialog->SetTickFrequency(m_range.tickFrequency);
        m_dialog->SetUnits(m_units);
    }
    return *m_dialog;
}

void CConfigSliderItem::SetRange(const Variant& minimum, const Variant& defaultValue,
                                 const Variant& maximum) {
    m_range.minimum = minimum;
    m_range.defaultValue = defaultValue;
    m_range.maximum = maximum;
    if (m_dialog)
        m_dialog->SetRange(minimum, defaultValue, maximum);
}

void CConfigSliderItem::SetRangeLabels(const std::string& minimum, const std::string& middle,
                                       const std::string& maximum) {
    m_range.labels[0] = minimum;
    m_range.labels[1] = middle;
    m_range.labels[2] = maximum;
    if (m_dialog)
        m_dialog->SetRangeLabels(minimum, middle, maximum);
}

void CConfigSliderItem::SetTickFrequency(int frequency) {
    m_range.tickFrequency = frequency;
    if (m_dialog)
        m_dialog->SetTickFrequency(frequency);
}

void CConfigSliderItem::SetUnits(const std::string& units) {
    m_units = units;
    if (m_dialog)
        m_dialog->SetUnits(units);
}

std::string CConfigSliderItem::ValueText(const Variant& value) const {
    return withUnits(CConfigItem::ValueText(value), m_units);
}

bool CConfigSliderItem::TrackPopup(QPoint) {
    if (!BeginChange())
        return false;
    const Variant previous = RefreshPreviousValue();
    CConfigSliderDlg& dialog = Dialog();
    dialog.SetCurrent(previous);
    dialog.Prepare();

    // The steps apply live, and rules follow them: unless a new value is kept, all of it
    // goes back.
    ConfigCheckpoint checkpoint;
    // Live writes made while the dialog runs are not final.
    setFinal(false);
    const int result = prompter().runDialog(dialog);
    dialog.DropPendingApply();
    setFinal(true);

    const Variant chosen = dialog.Current();
    if (result == IDOK && !chosen.equalsAsText(previous) && CheckInterlocks()) {
        if (WriteChosenValue(chosen)) {
            PostChangeMessages();
            SetNeedsRedraw(true);
            return true;
        }
    }
    // Cancelled, refused, failed or set back to where it started: whatever the steps
    // applied goes back, even a step the dialog closed before it was applied.
    undoSteps(checkpoint, previous);
    return false;
}

void CConfigSliderItem::undoSteps(ConfigCheckpoint& checkpoint, const Variant& previous) {
    const std::string kept = StaysChangedText(checkpoint.Restore());
    // A value held by the item is not in the document the checkpoint put back.
    SetLocalValue(previous);
    SetNeedsRedraw(true);
    if (!kept.empty())
        prompter().messageBox(kept, Label(), MB_TOUCH_ERROR, Owner());
}
