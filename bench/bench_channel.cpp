// Costs of the Channel page on the largest default document: building it with its four
// channel dialogs, a tab switch, and one item change that runs the rules and lays the
// list out again.

#include "BenchSupport.h"

#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"

namespace {

void buildChannelPage(benchmark::State& benchState) {
    LoadedState loaded;
    for (auto _ : benchState) {
        CChannelPage page;
        page.resize(620, 360);
        page.Create(nullptr);
        if (page.ChannelCount() != 4)
            benchState.SkipWithError("four channels expected");
        benchmark::DoNotOptimize(page.Dialog(3));
    }
}
BENCHMARK(buildChannelPage)->Unit(benchmark::kMicrosecond);

void switchChannelTab(benchmark::State& benchState) {
    LoadedState loaded;
    CChannelPage page;
    createShown(page);
    int tab = 0;
    for (auto _ : benchState) {
        tab = (tab + 1) % page.ChannelCount();
        page.SelectTab(tab);
        QCoreApplication::sendPostedEvents();
    }
}
BENCHMARK(switchChannelTab)->Unit(benchmark::kMicrosecond);

// The first channel's output format, back and forth between 1080 and 525: the item's
// write, the output format rule (component type, four offsets) and the relayout.
void outputFormatChange(benchmark::State& benchState) {
    LoadedState loaded;
    CChannelPage page;
    createShown(page);
    CChannelDlg* dialog = page.Dialog(0);
    CConfigItem* format = dialog->List()->FindItem(IDS_VIDEO_OUTPUT_FORMAT);
    if (!format) {
        benchState.SkipWithError("no output format row");
        return;
    }
    const Variant formats[2] = {Variant("Format1080_29_97Hz_2To1"),
                                Variant("Format525_29_97Hz_2To1")};
    int next = 0;
    for (auto _ : benchState) {
        format->PutAttributeValue(formats[next]);
        next = 1 - next;
        dialog->OnItemChange(IDS_VIDEO_OUTPUT_FORMAT, format);
        dialog->List()->Relayout(true);
    }
}
BENCHMARK(outputFormatChange)->Unit(benchmark::kMicrosecond);

} // namespace

TRELLIS_BENCH_MAIN()
