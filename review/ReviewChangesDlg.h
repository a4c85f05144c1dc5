#pragma once
// "Review Changes": the touch dialog that lists what a commit would change, grouped by page
// and channel, and names the channels that go offline to restart. Under an entry with
// changes made by rules, a button counts them and opens their list at a touch. "Commit"
// accepts, "Back" rejects; Back is the default when a restart would stop a channel that
// records or plays.

#include "ConfigReview.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

class CReviewChangesDlg : public QDialog {
    Q_OBJECT
public:
    explicit CReviewChangesDlg(const ConfigReview& review, QWidget* parent = nullptr);

    // Every line of the list in order, shown or folded away: headings, entries, the rule
    // buttons and the lines under them.
    QStringList Lines() const;
    // The buttons that open the changes made by rules, in order.
    const QList<QPushButton*>& RuleButtons() const { return m_ruleButtons; }
    QScrollArea* List() const { return m_scroll; }
    QLabel* RestartLabel() const { return m_restart; }
    QPushButton* CommitButton() const { return m_commit; }
    QPushButton* BackButton() const { return m_back; }

private:
    void fill(const ConfigReview& review);
    QLabel* addLabel(const std::string& text, int indent);

    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_lines = nullptr;
    QList<QPushButton*> m_ruleButtons;
    QLabel* m_restart = nullptr;
    QPushButton* m_commit = nullptr;
    QPushButton* m_back = nullptr;
};
