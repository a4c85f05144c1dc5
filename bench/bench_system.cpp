// Costs of the sheet and the System page on the largest default document: start-up to the
// first page shown, building the System page, a relayout of its list and the reference
// standard rewrite. Resident memory is reported as a counter.

#include "BenchSupport.h"
#include "SheetStartup.h"
#include "app/TrellisApp.h"
#include "app/TrellisDlg.h"
#include "items/ConfigListCtrl.h"
#include "pages/SystemPage.h"
#include "platform/XmlDocument.h"
#include "server/embedded/EmbeddedServices.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

namespace {

void startupToFirstPage(benchmark::State& benchState) {
    QTemporaryDir dir;
    EmbeddedServiceFactory factory(dir.path());
    startSheetOn(benchState, factory, QStringLiteral("localhost"));
}
BENCHMARK(startupToFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond);

// The floor under the start-up: a bare Qt dialog with as many empty tabs as the sheet has
// pages, made and shown the same way.
void bareWindowWithTabs(benchmark::State& benchState) {
    for (auto _ : benchState) {
        QDialog window;
        window.resize(620, 460);
        auto* column = new QVBoxLayout(&window);
        auto* tabs = new QTabWidget(&window);
        for (const char* name :
             {"System", "Channel", "Ganging", "GPI", "Panel", "Remote", "Security"})
            tabs->addTab(new QWidget, QString::fromLatin1(name));
        column->addWidget(tabs);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(tabs->currentWidget());
    }
}
BENCHMARK(bareWindowWithTabs)->Unit(benchmark::kMillisecond);

void buildSystemPage(benchmark::State& benchState) {
    LoadedState loaded;
    for (auto _ : benchState) {
        CSystemPage page;
        page.resize(600, 400);
        page.Create(nullptr);
        benchmark::DoNotOptimize(page.List());
    }
}
BENCHMARK(buildSystemPage)->Unit(benchmark::kMicrosecond);

void relayoutSystemList(benchmark::State& benchState) {
    LoadedState loaded;
    CSystemPage page;
    createShown(page);
    for (auto _ : benchState)
        page.List()->Relayout(false);
}
BENCHMARK(relayoutSystemList)->Unit(benchmark::kMicrosecond);

void referenceStandardRewrite(benchmark::State& benchState) {
    LoadedState loaded;
    CSystemPage page;
    page.Create(nullptr);
    const std::string text = largestDefault();
    for (auto _ : benchState) {
        benchState.PauseTiming();
        loaded.document->loadXml(text);
        benchState.ResumeTiming();
        page.OnItemChange(*loaded.document, "Format625_25Hz_2To1");
    }
}
BENCHMARK(referenceStandardRewrite)->Unit(benchmark::kMicrosecond);

} // namespace

TRELLIS_BENCH_MAIN()
