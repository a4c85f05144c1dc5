#pragma once
// "Review Changes": the touch dialog that lists what a commit would change, grouped by page
// and channel, and names the channels that go offline to restart. An entry with changes made
// by rules opens to show them at a touch. "Commit" accepts, "Back" rejects.

#include "ConfigReview.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

class CReviewChangesDlg : public QDialog {
    Q_OBJECT
public:
    explicit CReviewChangesDlg(const ConfigReview& review, QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    QLabel* RestartLabel() const { return m_restart; }
    QPushButton* CommitButton() const { return m_commit; }
    QPushButton* BackButton() const { return m_back; }

private:
    void fill(const ConfigReview& review);

    QTreeWidget* m_tree = nullptr;
    QLabel* m_restart = nullptr;
    QPushButton* m_commit = nullptr;
    QPushButton* m_back = nullptr;
};
