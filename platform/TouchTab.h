#pragma once
// A row of finger-sized tabs. Choosing a tab other than the current one emits
// currentChanged; choosing the current one again does nothing.

#include <QColor>
#include <QFont>
#include <QTabBar>

#include <functional>
#include <vector>

class CTouchTab : public QTabBar {
    Q_OBJECT
public:
    explicit CTouchTab(QWidget* parent = nullptr);

    // The look of every tab: the smallest width of a tab, its font, the colours of a tab, of
    // the chosen tab and of the edges, and the text colours of the chosen and other tabs.
    void SetTabStyle(int minimumWidth, const QFont& font, const QColor& tab,
                     const QColor& selectedTab, const QColor& edge, const QColor& selectedText,
                     const QColor& text);
    // The program's standard look, with the given smallest tab width.
    void SetStandardStyle(int minimumWidth);

    // A dot at the tab's top right corner: some setting under the tab was changed.
    void SetTabMarked(int index, bool marked);
    bool IsTabMarked(int index) const;
    // Marks each of the first count tabs by what changed says of it; true when any is.
    bool MarkTabs(int count, const std::function<bool(int)>& changed);

    // A tab whose channel is offline: its tab is shaded and says so.
    void SetTabOffline(int index, bool offline);
    bool IsTabOffline(int index) const;

    // The smallest width of the tabs that choose among a page's dialogs.
    static constexpr int kPageTabWidth = 98;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Adds the tab to a set of tabs, or takes it out, and repaints on a change.
    void setTabIn(std::vector<int>& tabs, int index, bool in);

    std::vector<int> m_marked;
    std::vector<int> m_offline;
};

// Puts a page's row of tabs at its top, inside the margins, and each dialog under it,
// filling the rest of the page.
void PlaceUnderTabs(const QWidget& page, CTouchTab* tabs, const std::vector<QWidget*>& dialogs);
// Shows the dialog of a newly chosen tab, laid out anew first, and hides the one it replaces.
void ShowChosenTab(QWidget* shown, QWidget* hidden);
