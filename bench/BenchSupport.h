#pragma once
// What the benchmarks share: the largest default document loaded as the configuration,
// the resident memory, and a main that runs them under a Qt application.

#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"
#include "state/ConfigState.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>
#include <string>

inline std::string largestDefault() {
    std::string largest;
    for (const std::string& standard : ReferenceStandards()) {
        std::string text = DefaultConfigurationText(standard);
        if (text.size() > largest.size())
            largest = std::move(text);
    }
    return largest;
}

inline double residentMegabytes() {
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

// A page of the sheet made over the loaded document, at the sheet's page size, and shown.
template <class Page> void createShown(Page& page) {
    page.resize(620, 360);
    page.Create(nullptr);
    page.show();
}

#define TRELLIS_BENCH_MAIN()                                                                       \
    int main(int argc, char** argv) {                                                              \
        qputenv("QT_QPA_PLATFORM",                                                                 \
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));  \
        QApplication application(argc, argv);                                                      \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
