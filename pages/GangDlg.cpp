#include "GangDlg.h"

#include "platform/Metrics.h"
#include "platform/StringTable.h"
#include "platform/TouchWidgets.h"
#include "platform/WindowMessages.h"
#include "state/ConfigState.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpacerItem>
#include <QStringList>
#include <QVBoxLayout>

namespace {

constexpr std::array<int, CGangDlg::OptionCount> kOptionTexts = {
    IDS_USE_SINGLE_CHANNEL_TO_CONTROL_GANG, IDS_RECORD_AUDIO_FROM_MORE_THAN_ONE_CHANNEL,
    IDS_RECORD_VIDEO_FROM_MORE_THAN_ONE_CHANNEL};
constexpr std::array<std::array<int, kGangCount>, CGangDlg::OptionCount> kOptionIds = {
    IDC_SINGLE_CONTROLLER, IDC_CONSOLIDATE_AUDIO, IDC_CONSOLIDATE_VIDEO};

QString text(int id) {
    return QString::fromStdString(LoadString(id));
}

// A radio button or check box a finger can hit: a full row high, with a large indicator.
template <class Button> Button* touchControl(const QString& label, QWidget* parent) {
    auto* button = new Button(label, parent);
    button->setMinimumHeight(TouchTargetHeight());
    return button;
}

QString touchControlStyle() {
    return QStringLiteral(
               "QRadioButton, QCheckBox { color: %1; spacing: 8px; }"
               "QRadioButton:disabled, QCheckBox:disabled, QLabel:disabled { color: %2; }"
               "QRadioButton::indicator, QCheckBox::indicator"
               " { width: %3px; height: %3px; }")
        .arg(FrmwkGetColor(COLOR_TEXT).name(), FrmwkGetColor(COLOR_TEXT_DIM).name())
        .arg(FrmwkGetMetrics(METRIC_CHECKBOX_SIZE));
}

} // namespace

CGangDlg::CGangDlg(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("CGangDlg"));
    setAutoFillBackground(true);
    applyTouchBackground(this);
    setFont(FrmwkGetFont(FONT_NORMAL));
    setStyleSheet(touchControlStyle());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    // Each row is a finger high and leaves room around its control; the rows need no more
    // between them to fit the page.
    column->setSpacing(0);
    buildGrid();
    // A gap between the grid and the options where the page has room for one.
    column->addSpacerItem(new QSpacerItem(0, FrmwkGetMetrics(METRIC_ROW_PADDING),
                                          QSizePolicy::Minimum, QSizePolicy::Preferred));
    buildOptions();
    m_note = makeNoteLabel(this, QStringLiteral("GangNote"));
    column->addWidget(m_note);
    column->addStretch();
}

void CGangDlg::buildGrid() {
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    for (int c = 0; c < kGangColumns; ++c) {
        Column& col = m_columns[static_cast<std::size_t>(c)];
        col.label = new QLabel(this);
        col.label->setFont(FrmwkGetFont(FONT_HEADING));
        grid->addWidget(col.label, 0, c);
        col.group = new QButtonGroup(this);
        for (int choice = 0; choice < 3; ++choice) {
            auto* radio =
                touchControl<QRadioButton>(QString::fromStdString(GangChoiceText(choice)), this);
            col.choices[static_cast<std::size_t>(choice)] = radio;
            col.group->addButton(radio, choice);
            grid->addWidget(radio, choice + 1, c);
        }
        connect(col.group, &QButtonGroup::idClicked, this,
                [this, c](int choice) { onChoice(c, choice); });
        grid->setColumnStretch(c, 1);
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
}

void CGangDlg::buildOptions() {
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    grid->setHorizontalSpacing(FrmwkGetMetrics(METRIC_MARGIN));
    for (int option = 0; option < OptionCount; ++option) {
        grid->addWidget(new QLabel(text(kOptionTexts[option]), this), option, 0);
        for (int gang = 0; gang < kGangCount; ++gang) {
            auto* box =
                touchControl<QCheckBox>(QString::fromStdString(GangChoiceText(gang + 1)), this);
            m_boxes[static_cast<std::size_t>(gang)][static_cast<std::size_t>(option)] = box;
            grid->addWidget(box, option, gang + 1);
            connect(box, &QCheckBox::clicked, this, [this, gang, option](bool checked) {
                onOption(gang, static_cast<Option>(option), checked);
            });
        }
    }
    grid->setColumnStretch(0, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
}

void CGangDlg::SetSettings(const GangSettings& settings) {
    m_settings = settings;
    QStringList unusable;
    for (int c = 0; c < kGangColumns; ++c) {
        Column& col = m_columns[static_cast<std::size_t>(c)];
        const bool shown = c < static_cast<int>(settings.columns.size());
        col.label->setVisible(shown);
        for (QRadioButton* radio : col.choices)
            radio->setVisible(shown);
        if (!shown)
            continue;
        const GangColumn& channel = settings.columns[static_cast<std::size_t>(c)];
        col.label->setText(QString::fromStdString(channel.label));
        col.label->setEnabled(channel.usable);
        // A stored gang index the page does not know checks none of the three.
        col.group->setExclusive(false);
        for (int choice = 0; choice < 3; ++choice) {
            QRadioButton* radio = col.choices[static_cast<std::size_t>(choice)];
            radio->setChecked(choice == channel.choice);
            radio->setEnabled(channel.usable);
        }
        col.group->setExclusive(true);
        if (!channel.usable)
            unusable << col.label->text();
    }
    for (int gang = 0; gang < kGangCount; ++gang) {
        const GangOptions& options = settings.gangs[static_cast<std::size_t>(gang)];
        OptionBox(gang, SingleController)->setChecked(options.singleController);
        OptionBox(gang, ConsolidateAudio)->setChecked(options.consolidateAudio);
        OptionBox(gang, ConsolidateVideo)->setChecked(options.consolidateVideo);
        enableConsolidate(gang, options.singleController);
    }

    QStringList note;
    if (!unusable.empty())
        note << QStringLiteral("Cannot be ganged, the channelIndex is not usable: %1")
                    .arg(unusable.join(QStringLiteral(", ")));
    if (!settings.hiddenChannels.empty()) {
        QStringList hidden;
        for (const std::string& id : settings.hiddenChannels)
            hidden << QString::fromStdString(id);
        note << QStringLiteral("Channels after the fourth are not shown: %1")
                    .arg(hidden.join(QStringLiteral(", ")));
    }
    showNote(m_note, note.join(QLatin1Char('\n')));
}

QRadioButton* CGangDlg::ChoiceButton(int column, int choice) const {
    if (column < 0 || column >= kGangColumns || choice < 0 || choice >= 3)
        return nullptr;
    return m_columns[static_cast<std::size_t>(column)].choices[static_cast<std::size_t>(choice)];
}

QLabel* CGangDlg::ColumnLabel(int column) const {
    return column >= 0 && column < kGangColumns ? m_columns[static_cast<std::size_t>(column)].label
                                                : nullptr;
}

QCheckBox* CGangDlg::OptionBox(int gang, Option option) const {
    if (gang < 0 || gang >= kGangCount || option < 0 || option >= OptionCount)
        return nullptr;
    return m_boxes[static_cast<std::size_t>(gang)][static_cast<std::size_t>(option)];
}

QString CGangDlg::Note() const {
    return m_note->text();
}

void CGangDlg::onChoice(int column, int choice) {
    if (column >= static_cast<int>(m_settings.columns.size()))
        return;
    // A touch on the choice already made changes nothing.
    if (m_settings.columns[static_cast<std::size_t>(column)].choice == choice)
        return;
    // What the page writes for this touch is put down to it.
    CConfigState().BeginUserChange(
        {GangColumnChange(m_settings.columns[static_cast<std::size_t>(column)]), {}});
    PostMessage(parentWidget(), WM_CONFIG_ITEM_CHANGED,
                static_cast<WPARAM>(IDC_GANG_COLUMN[static_cast<std::size_t>(column)]), choice);
}

void CGangDlg::onOption(int gang, Option option, bool checked) {
    if (option == SingleController)
        enableConsolidate(gang, checked);
    const int id = kOptionIds[static_cast<std::size_t>(option)][static_cast<std::size_t>(gang)];
    CConfigState().BeginUserChange({LoadString(kOptionTexts[static_cast<std::size_t>(option)]) +
                                        " (" + GangChoiceText(gang + 1) + ")",
                                    {}});
    PostMessage(parentWidget(), WM_CONFIG_ITEM_CHANGED, static_cast<WPARAM>(id), checked ? 1 : 0);
}

void CGangDlg::enableConsolidate(int gang, bool enabled) {
    OptionBox(gang, ConsolidateAudio)->setEnabled(enabled);
    OptionBox(gang, ConsolidateVideo)->setEnabled(enabled);
}
