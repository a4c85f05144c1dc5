#pragma once
// The touch dialog that picks VBI lines: a grid of numbered toggle buttons, six per row,
// one per line of the allowed range; for luma-and-chroma lines a luma group above a
// chroma group, a line never in both. A limit on the number of lines unchecks another
// line when one more is checked.

#include <QDialog>

#include <map>
#include <vector>

class QPushButton;

class CVbiLinesDlg : public QDialog {
    Q_OBJECT
public:
    // kind: 0 luma only, 1 luma and chroma, 2 teletext. maxLines 0 means no limit.
    CVbiLinesDlg(int firstLine, int lastLine, int maxLines, const std::vector<int>& lumaLines,
                 const std::vector<int>& chromaLines, unsigned kind, QWidget* owner = nullptr);

    // The control id of a line's button: the line in the first group, the line plus the
    // group's size in the chroma group.
    int ControlId(int line, bool chroma) const;
    QPushButton* Button(int controlId) const;
    int ButtonCount() const { return static_cast<int>(m_buttons.size()); }
    bool IsChecked(int controlId) const;
    // Touches a button, as a finger would.
    void Touch(int controlId);

    bool Changed() const { return m_changed; }
    // The lines as the buttons stand, in line order.
    std::vector<int> LumaLines() const;
    std::vector<int> ChromaLines() const;

private:
    void touched(int controlId);
    std::vector<int> checkedIds() const;
    std::vector<int> linesOfGroup(bool chroma) const;

    int m_firstLine;
    int m_lastLine;
    int m_maxLines;
    unsigned m_kind;
    bool m_changed = false;
    std::map<int, QPushButton*> m_buttons; // by control id, in layout order
};
