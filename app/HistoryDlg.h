#pragma once
// "History": the configurations the server stored, newest first, as a touch list that reads
// more entries as it is scrolled. Touching an entry marks it and shows its change report;
// touching it again unmarks it, and a third mark takes the place of the oldest. "Compare"
// lists the differences between the two marked entries, or between one and the sheet's
// configuration, in the review's words; "Load" (one entry marked) closes the dialog with
// that entry chosen, for the sheet to take as its document.

#include "platform/XmlDocument.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class HistoryListModel;
class IConfigHistory;
class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;
struct HistoryEntry;

class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs of the sheet.
    struct Sheet {
        // The sheet's configuration now.
        std::shared_ptr<XmlDocument> document = {};
        // The changes between two documents, one line each, in the review's words.
        std::function<std::vector<std::string>(const XmlDocument&, const XmlDocument&)> words = {};
        // Whether an entry may be loaded; tells the user why not when it may not.
        std::function<bool(QWidget* owner)> mayLoad = {};
        // A channel's name by its index.
        std::function<std::string(int index)> channelName = {};
    };

    CHistoryDlg(std::shared_ptr<IConfigHistory> history, Sheet sheet, QWidget* parent = nullptr);
    ~CHistoryDlg() override;

    // The entry Load chose, once the dialog is accepted; 0 before.
    qint64 ChosenEntry() const { return m_chosen; }
    // The marked entries' rows, in the order they were touched.
    const std::vector<int>& Marked() const { return m_marked; }

    // What a touch on a row does: marks or unmarks it.
    void TouchRow(int row);
    // What the buttons do.
    void Compare();
    void Load();

    HistoryListModel* Model() const { return m_model; }
    QListView* List() const { return m_list; }
    QPlainTextEdit* Report() const { return m_report; }
    // Says why the history could not be read; hidden when it could.
    QLabel* Notice() const { return m_notice; }
    QPushButton* CompareButton() const { return m_compare; }
    QPushButton* LoadButton() const { return m_load; }

private:
    void showMarks();
    // An entry's configuration, parsed; the user is told what failed, and false returned.
    bool readEntry(const HistoryEntry& entry, XmlDocument& document);

    std::shared_ptr<IConfigHistory> m_history;
    Sheet m_sheet;
    HistoryListModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QLabel* m_notice = nullptr;
    QPushButton* m_compare = nullptr;
    QPushButton* m_load = nullptr;
    std::vector<int> m_marked;
    qint64 m_chosen = 0;
};
