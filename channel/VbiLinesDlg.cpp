#include "VbiLinesDlg.h"

#include "platform/Metrics.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TouchWidgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kButtonsPerRow = 6;

bool contains(const std::vector<int>& lines, int line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

CVbiLinesDlg::CVbiLinesDlg(int firstLine, int lastLine, int maxLines,
                           const std::vector<int>& lumaLines, const std::vector<int>& chromaLines,
                           unsigned kind, QWidget* owner)
    : QDialog(owner), m_firstLine(firstLine), m_lastLine(lastLine), m_maxLines(maxLines),
      m_kind(kind) {
    applyTouchBackground(this);
    setStyleSheet(
        touchStyleSheet() +
        QStringLiteral("QPushButton:checked { background: %1; color: %2; }")
            .arg(FrmwkGetColor(COLOR_SELECTION).name(), FrmwkGetColor(COLOR_TEXT_SELECTED).name()));
    setMinimumWidth(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH));
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));

    const bool twoGroups = kind == 1;
    for (bool chroma : {false, true}) {
        if (chroma && !twoGroups)
            break;
        if (twoGroups) {
            auto* heading = new QLabel(
                QString::fromStdString(LoadString(chroma ? IDS_CHROMA_LINES : IDS_LUMA_LINES)),
                this);
            heading->setFont(FrmwkGetFont(FONT_HEADING));
            column->addWidget(heading);
        }
        auto* grid = new QGridLayout;
        const std::vector<int>& checked = chroma ? chromaLines : lumaLines;
        for (int line = firstLine; line <= lastLine; ++line) {
            auto* button = new QPushButton(QString::number(line), this);
            button->setCheckable(true);
            button->setChecked(contains(checked, line));
            button->setFont(FrmwkGetFont(FONT_NORMAL));
            button->setMinimumSize(TouchTargetHeight() * 3 / 2, TouchTargetHeight());
            button->setAutoDefault(false);
            const int id = ControlId(line, chroma);
            m_buttons[id] = button;
            const int at = line - firstLine;
            grid->addWidget(button, at / kButtonsPerRow, at % kButtonsPerRow);
            // The touch decides the new state, so the button does not toggle on its own.
            connect(button, &QPushButton::clicked, this, [this, id] { touched(id); });
        }
        column->addLayout(grid);
    }
    column->addStretch();
    column->addLayout(makeOkCancelRow(this));
    adjustSize();
}

int CVbiLinesDlg::ControlId(int line, bool chroma) const {
    return chroma ? line + (m_lastLine - m_firstLine + 1) : line;
}

QPushButton* CVbiLinesDlg::Button(int controlId) const {
    const auto found = m_buttons.find(controlId);
    return found == m_buttons.end() ? nullptr : found->second;
}

bool CVbiLinesDlg::IsChecked(int controlId) const {
    const QPushButton* button = Button(controlId);
    return button && button->isChecked();
}

void CVbiLinesDlg::Touch(int controlId) {
    if (QPushButton* button = Button(controlId))
        button->click();
}

std::vector<int> CVbiLinesDlg::checkedIds() const {
    std::vector<int> ids;
    for (const auto& [id, button] : m_buttons) {
        if (button->isChecked())
            ids.push_back(id);
    }
    return ids;
}

void CVbiLinesDlg::touched(int controlId) {
    m_changed = true;
    QPushButton* button = Button(controlId);
    if (!button->isChecked())
        return; // unchecked: nothing else to do
    if (m_kind == 1) {
        // A line is luma or chroma, never both: checking it in one group moves it there.
        const int groupSize = m_lastLine - m_firstLine + 1;
        const bool chroma = controlId > m_lastLine;
        const int line = chroma ? controlId - groupSize : controlId;
        if (QPushButton* other = Button(ControlId(line, !chroma)); other && other->isChecked()) {
            other->setChecked(false);
            return;
        }
    }
    // Without a limit in the document any number of lines may be chosen.
    if (m_maxLines <= 0)
        return;
    for (;;) {
        std::vector<int> others = checkedIds();
        std::erase(others, controlId);
        if (static_cast<int>(others.size()) < m_maxLines)
            return;
        // Of the other lines, the one farther from the touched line goes.
        const double middle = (others.front() + others.back()) / 2.0;
        Button(controlId < middle ? others.back() : others.front())->setChecked(false);
    }
}

std::vector<int> CVbiLinesDlg::linesOfGroup(bool chroma) const {
    std::vector<int> lines;
    for (int line = m_firstLine; line <= m_lastLine; ++line) {
        if (IsChecked(ControlId(line, chroma)))
            lines.push_back(line);
    }
    return lines;
}

std::vector<int> CVbiLinesDlg::LumaLines() const {
    return linesOfGroup(false);
}

std::vector<int> CVbiLinesDlg::ChromaLines() const {
    return m_kind == 1 ? linesOfGroup(true) : std::vector<int>();
}
