#pragma once
// Start-up to the first page shown, as a user sees it: the sheet logs on to a host through
// a service factory, fetches the configuration, builds its pages and shows the first one.

#include "BenchSupport.h"
#include "app/TrellisApp.h"
#include "app/TrellisDlg.h"
#include "server/ServiceFactory.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

// Runs the start-up once per iteration and times it up to the first page shown, without
// the sheet's close (register with UseManualTime()); gives the mean time of one in
// milliseconds, or 0 when it failed (the benchmark then says why).
inline double startSheetOn(benchmark::State& benchState, IServiceFactory& factory,
                           const QString& host) {
    installServiceFactory(&factory);
    ScriptedPrompter script;
    script.install();
    CTrellisApp app; // gives the sheet its (empty) command line
    app.SetHostName(host);
    QElapsedTimer clock;
    double total = 0;
    for (auto _ : benchState) {
        script.answerLogon("admin", "trellis");
        clock.start();
        CTrellisDlg sheet(QStringLiteral("Configuration for ") + host, QSize(620, 460));
        QCoreApplication::sendPostedEvents(&sheet); // log on, build the pages
        sheet.show();
        QCoreApplication::processEvents(); // the first page is shown
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        benchState.SetIterationTime(seconds);
        total += seconds;
        if (sheet.GetPageCount() != 7) {
            benchState.SkipWithError("the sheet did not start");
            total = 0;
            break;
        }
        benchmark::DoNotOptimize(sheet.GetActivePage());
    }
    installServiceFactory(nullptr);
    benchState.counters["resident_MB"] = residentMegabytes();
    return total > 0 ? total * 1e3 / static_cast<double>(benchState.iterations()) : 0;
}
