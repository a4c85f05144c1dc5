// Costs of the sheet and the System page on the largest default document: start-up to the
// first page shown, building the System page, a relayout of its list and the reference
// standard rewrite. Resident memory is reported as a counter.

#include "app/TrellisApp.h"
#include "app/TrellisDlg.h"
#include "items/ConfigListCtrl.h"
#include "pages/SystemPage.h"
#include "platform/ScriptedPrompter.h"
#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServices.h"
#include "state/ConfigState.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

std::string largestDefault() {
    std::string largest;
    for (const std::string& standard : ReferenceStandards()) {
        std::string text = DefaultConfigurationText(standard);
        if (text.size() > largest.size())
            largest = std::move(text);
    }
    return largest;
}

double residentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A configuration state over the largest default document, without a server.
struct LoadedState {
    LoadedState() {
        document->loadXml(largestDefault());
        state.SetDocument(document);
        state.SetLogonFlags(true, true);
    }
    std::shared_ptr<XmlDocument> document = std::make_shared<XmlDocument>();
    CConfigState state;
};

void startupToFirstPage(benchmark::State& benchState) {
    QTemporaryDir dir;
    EmbeddedServiceFactory factory(dir.path());
    installServiceFactory(&factory);
    ScriptedPrompter script;
    script.install();
    CTrellisApp app; // gives the sheet its (empty) command line
    for (auto _ : benchState) {
        script.answerLogon("admin", "trellis");
        CTrellisDlg sheet(QStringLiteral("Configuration for localhost"), QSize(620, 460));
        QCoreApplication::sendPostedEvents(&sheet); // log on, build the pages
        sheet.show();
        QCoreApplication::processEvents(); // the first page is shown
        if (sheet.GetPageCount() != 7)
            benchState.SkipWithError("the sheet did not start");
        benchmark::DoNotOptimize(sheet.GetActivePage());
    }
    installServiceFactory(nullptr);
    benchState.counters["resident_MB"] = residentMegabytes();
}
BENCHMARK(startupToFirstPage)->Unit(benchmark::kMillisecond);

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
    page.resize(600, 400);
    page.Create(nullptr);
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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
