// Costs of the history of stored configurations: the first page of a history of 10,000
// entries of the largest default document, the comparison of two of its entries (as a plain
// difference, and in the review's words), the History dialog opened over it, and the
// database's size per entry.

#include "BenchSupport.h"
#include "app/HistoryDlg.h"
#include "app/HistoryModel.h"
#include "app/TrellisApp.h"
#include "app/TrellisDlg.h"
#include "platform/ConfigDiff.h"
#include "platform/XmlDocument.h"
#include "server/ServiceFactory.h"
#include "server/embedded/ConfigHistory.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/embedded/EmbeddedServices.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kEntries = 10'000;
// The rows the history list shows at once, and a little more.
constexpr int kPage = 50;

struct FilledHistory {
    FilledHistory() {
        XmlDocument document;
        document.loadXml(largestDefault());
        const XmlNode channel = document.documentNode().selectSingleNode("//Channel");
        for (int i = 0; i < kEntries; ++i) {
            // Each entry differs from the one before in one attribute, as a commit would.
            channel.setAttribute("loop", i % 2 ? "true" : "false");
            channel.setAttribute("id", "C" + std::to_string(i));
            HistoryEntry entry{.origin = HistoryEntry::kCommit,
                               .user = "admin",
                               .address = "192.0.2.1",
                               .restarted = {0}};
            history.record(entry, QByteArray::fromStdString(document.xml()));
            ids.push_back(entry.id);
        }
    }

    // The first and the last entry, read and parsed.
    void readFirstAndLast(XmlDocument& before, XmlDocument& after) {
        HistoryEntry entry;
        std::string text;
        history.GetHistoryEntry(ids.front(), entry, text);
        before.loadBytes(text);
        history.GetHistoryEntry(ids.back(), entry, text);
        after.loadBytes(text);
    }

    QTemporaryDir folder;
    ConfigHistory history{folder.path(), [](HRESULT, const std::string&) {}, {.days = 0}};
    std::vector<qint64> ids;
};

FilledHistory& filled() {
    static FilledHistory* history = new FilledHistory;
    return *history;
}

void historyFirstPage(benchmark::State& state) {
    FilledHistory& history = filled();
    std::vector<HistoryEntry> page;
    for (auto _ : state) {
        history.history.ListHistory(0, kPage, page);
        benchmark::DoNotOptimize(page.data());
    }
    const qint64 bytes =
        QFileInfo(history.folder.filePath(ConfigHistory::kFileName)).size() +
        QFileInfo(history.folder.filePath(QString(ConfigHistory::kFileName) + "-wal")).size();
    state.counters["bytesPerEntry"] = static_cast<double>(bytes) / kEntries;
}
BENCHMARK(historyFirstPage)->Unit(benchmark::kMicrosecond);

void compareFirstAndLastEntries(benchmark::State& state) {
    FilledHistory& history = filled();
    for (auto _ : state) {
        XmlDocument before;
        XmlDocument after;
        history.readFirstAndLast(before, after);
        const std::vector<ConfigChange> changes =
            DiffConfigurations(before.documentNode(), after.documentNode());
        benchmark::DoNotOptimize(changes.data());
    }
}
BENCHMARK(compareFirstAndLastEntries)->Unit(benchmark::kMicrosecond);

// The History button's dialog over the 10,000 entries, from made to shown with its first
// rows.
void historyDialogOpens(benchmark::State& state) {
    FilledHistory& history = filled();
    const std::shared_ptr<IConfigHistory> shared(&history.history, [](IConfigHistory*) {});
    for (auto _ : state) {
        CHistoryDlg dialog(shared, {});
        dialog.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(dialog.Model()->rowCount());
    }
}
BENCHMARK(historyDialogOpens)->Unit(benchmark::kMillisecond);

// Compare in the dialog: the first and the last entry read, parsed and listed in the
// review's words by a sheet over the largest default document.
void compareInTheReviewsWords(benchmark::State& state) {
    FilledHistory& history = filled();
    QTemporaryDir dir;
    EmbeddedServer(dir.path()).commit(ServerSession{"admin", "", true}, largestDefault());
    EmbeddedServiceFactory factory(dir.path());
    installServiceFactory(&factory);
    ScriptedPrompter script;
    script.install();
    CTrellisApp app;
    app.SetHostName(QStringLiteral("localhost"));
    script.answerLogon("admin", "trellis");
    CTrellisDlg sheet(QStringLiteral("Configuration for localhost"), QSize(620, 460));
    QCoreApplication::sendPostedEvents(&sheet);
    sheet.show();
    QCoreApplication::processEvents();
    std::size_t lines = 0;
    for (auto _ : state) {
        XmlDocument before;
        XmlDocument after;
        history.readFirstAndLast(before, after);
        lines = sheet.ChangeWordsBetween(before, after).size();
    }
    if (sheet.GetPageCount() == 0 || lines == 0)
        state.SkipWithError("the sheet did not start, or found no difference");
    state.counters["lines"] = static_cast<double>(lines);
    installServiceFactory(nullptr);
}
BENCHMARK(compareInTheReviewsWords)->Unit(benchmark::kMillisecond);

} // namespace

TRELLIS_BENCH_MAIN()
