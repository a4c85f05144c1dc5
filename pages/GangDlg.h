#pragma once
// The Ganging page's one fixed dialog: a column of radio buttons per channel (not ganged,
// Gang 1, Gang 2) and per gang its three option boxes. It shows the values it is given and
// posts each touch to its owner page as WM_CONFIG_ITEM_CHANGED with the control's id.

#include "GangSettings.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;

// Control ids, the wParam of the posted change. A channel column posts its first id with
// its choice; a box posts its own id with its flag.
constexpr std::array<int, kGangColumns> IDC_GANG_COLUMN = {1025, 1028, 1032, 1036};
constexpr std::array<int, kGangCount> IDC_SINGLE_CONTROLLER = {1063, 1064};
constexpr std::array<int, kGangCount> IDC_CONSOLIDATE_AUDIO = {1065, 1066};
constexpr std::array<int, kGangCount> IDC_CONSOLIDATE_VIDEO = {1067, 1068};

class CGangDlg : public QWidget {
    Q_OBJECT
public:
    // The options of a gang, in the order they are shown.
    enum Option { SingleController, ConsolidateAudio, ConsolidateVideo, OptionCount };

    explicit CGangDlg(QWidget* owner);

    // Moves the values into the controls; a gang's consolidate boxes are enabled exactly
    // when its single controller box is checked.
    void SetSettings(const GangSettings& settings);
    const GangSettings& Settings() const { return m_settings; }

    // The controls, as a finger finds them; null outside the grid.
    QRadioButton* ChoiceButton(int column, int choice) const;
    QLabel* ColumnLabel(int column) const;
    QCheckBox* OptionBox(int gang, Option option) const;
    // Why some channels have no usable column; empty when all have.
    QString Note() const;

private:
    void buildGrid();
    void buildOptions();
    void onChoice(int column, int choice);
    void onOption(int gang, Option option, bool checked);
    void enableConsolidate(int gang, bool enabled);

    struct Column {
        QLabel* label = nullptr;
        QButtonGroup* group = nullptr;
        std::array<QRadioButton*, 3> choices{};
    };
    std::array<Column, kGangColumns> m_columns;
    std::array<std::array<QCheckBox*, OptionCount>, kGangCount> m_boxes{};
    QLabel* m_note = nullptr;
    GangSettings m_settings;
};
