// The History dialog over a history of its own: reading a page at a time as the list
// scrolls, a failed read told, marks, and an entry gone since the list was read.

#include "app/HistoryDlg.h"
#include "app/HistoryModel.h"
#include "server/IConfigHistory.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// Entries 1 to count, every one of a well-formed document; the read of a page older than
// failBefore fails, and so does the read of entry missing.
class FakeHistory : public IConfigHistory {
public:
    explicit FakeHistory(qint64 count) : m_count(count) {}

    HRESULT ListHistory(qint64 before, int count, std::vector<HistoryEntry>& entries) override {
        entries.clear();
        const qint64 newest = before == 0 ? m_count : before - 1;
        if (before != 0 && before <= failBefore) {
            m_error = "disk I/O error";
            return E_FAIL;
        }
        for (qint64 id = newest; id > 0 && static_cast<int>(entries.size()) < std::min(count, most);
             --id)
            entries.push_back({.id = id,
                               .time = QDateTime::currentDateTimeUtc(),
                               .origin = HistoryEntry::kCommit,
                               .user = "admin",
                               .address = "192.0.2.1",
                               .report = "Report " + std::to_string(id)});
        return S_OK;
    }
    HRESULT GetHistoryEntry(qint64 id, HistoryEntry& entry, std::string& configuration) override {
        if (id == missing)
            return HRESULT_NOT_FOUND;
        entry = {.id = id};
        configuration = "<Config/>";
        return S_OK;
    }
    std::string LastErrorText() override { return m_error; }

    qint64 failBefore = 0;
    qint64 missing = 0;
    // The most entries a read gives, whatever was asked for, as a service may.
    int most = 1000;

private:
    qint64 m_count;
    std::string m_error;
};

class HistoryDlgTest : public ::testing::Test {
protected:
    void SetUp() override { script.install(); }
    std::unique_ptr<CHistoryDlg> open(std::shared_ptr<FakeHistory> history) {
        auto dialog = std::make_unique<CHistoryDlg>(
            history, CHistoryDlg::Sheet{.document = std::make_shared<XmlDocument>(),
                                        .words = [](const XmlDocument&, const XmlDocument&) {
                                            return std::vector<std::string>{};
                                        }});
        dialog->show();
        QCoreApplication::processEvents();
        return dialog;
    }
    ScriptedPrompter script;
};

} // namespace

TEST_F(HistoryDlgTest, ALongHistoryIsReadAPageAtATimeAsTheListScrollsToItsEnd) {
    auto history = std::make_shared<FakeHistory>(250);
    history->most = 60;
    const auto dialog = open(history);
    HistoryListModel* model = dialog->Model();
    EXPECT_EQ(model->rowCount(), 60);
    EXPECT_TRUE(model->index(0).data().toString().startsWith("Entry 250 \u00B7 "));
    for (int scrolls = 0; scrolls < 6; ++scrolls) {
        dialog->List()->scrollToBottom();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(model->rowCount(), 250);
    EXPECT_FALSE(model->canFetchMore({}));
    EXPECT_EQ(model->Entry(249).id, 1);
    EXPECT_TRUE(dialog->Notice()->isHidden());
}

TEST_F(HistoryDlgTest, AFailedReadIsToldAndKeepsTheEntriesAlreadyRead) {
    auto history = std::make_shared<FakeHistory>(250);
    history->failBefore = 200;
    const auto dialog = open(history);
    dialog->List()->scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->Model()->rowCount(), HistoryListModel::kPageSize);
    EXPECT_FALSE(dialog->Notice()->isHidden());
    EXPECT_EQ(dialog->Notice()->text(), "The history could not be read: disk I/O error");
    EXPECT_FALSE(dialog->Model()->canFetchMore({}));
}

TEST_F(HistoryDlgTest, AnEmptyHistorySaysSo) {
    const auto dialog = open(std::make_shared<FakeHistory>(0));
    EXPECT_EQ(dialog->Notice()->text(), "The history holds no configuration.");
    EXPECT_FALSE(dialog->CompareButton()->isEnabled());
    EXPECT_FALSE(dialog->LoadButton()->isEnabled());
}

TEST_F(HistoryDlgTest, TwoEntriesAtMostAreMarkedAndLoadTakesOnlyOne) {
    const auto dialog = open(std::make_shared<FakeHistory>(5));
    dialog->TouchRow(0);
    dialog->TouchRow(1);
    dialog->TouchRow(2); // takes the place of the first mark
    EXPECT_EQ(dialog->Marked(), (std::vector<int>{1, 2}));
    EXPECT_EQ(dialog->List()->selectionModel()->selectedRows().size(), 2);
    EXPECT_TRUE(dialog->CompareButton()->isEnabled());
    EXPECT_FALSE(dialog->LoadButton()->isEnabled());
    EXPECT_TRUE(dialog->Report()->toPlainText().endsWith("\n\nReport 3"));
    dialog->TouchRow(2); // unmarked: the report of the other mark shows
    EXPECT_EQ(dialog->Marked(), (std::vector<int>{1}));
    EXPECT_TRUE(dialog->Report()->toPlainText().startsWith(
        "Entry 4, committed " + HistoryTime({.time = dialog->Model()->Entry(1).time}) +
        " by admin (192.0.2.1)"));
    ASSERT_TRUE(dialog->LoadButton()->isEnabled());
    dialog->LoadButton()->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ChosenEntry(), 4);
}

TEST_F(HistoryDlgTest, AnEntryGoneSinceTheListWasReadIsToldAtCompare) {
    auto history = std::make_shared<FakeHistory>(5);
    history->missing = 5;
    const auto dialog = open(history);
    dialog->TouchRow(0);
    script.answer(IDOK);
    dialog->CompareButton()->click();
    EXPECT_EQ(script.last().text, "Entry 5 could not be read.\nIt is no longer in the history.");
    EXPECT_EQ(script.last().caption, "History");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_EQ(script.unexpectedCount(), 0);
}
