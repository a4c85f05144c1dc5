// Costs of the Channel page on the largest default document: building it with its four
// channel dialogs, a tab switch, and item changes that run their rules and lay the list
// out again.

#include "BenchSupport.h"

#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "items/ConfigListCtrl.h"
#include "platform/ConfigDiff.h"
#include "platform/StringIds.h"
#include "review/ConfigReview.h"
#include "state/XPathAccess.h"
#include "support/ScriptedPrompter.h"

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

// The visible item with the label id, or null.
CConfigItem* visibleItem(CChannelDlg& dialog, int labelId) {
    CConfigListCtrl* list = dialog.List();
    for (std::size_t i = 0; i < list->ItemCount(); ++i) {
        if (list->ItemAt(i)->GetLabelId() == labelId && list->ItemAt(i)->IsVisible())
            return list->ItemAt(i);
    }
    return nullptr;
}

// The first channel's input format through its menu, back and forth between standard
// definition and 1080: the write, the input format rule (family, rate, timecode input, data
// track) and the relayout of rows that come and go with the format. The slowest rule.
void inputFormatChange(benchmark::State& benchState) {
    LoadedState loaded;
    ScriptedPrompter script;
    script.install();
    CChannelPage page;
    createShown(page);
    CChannelDlg* dialog = page.Dialog(0);
    CConfigItem* format = visibleItem(*dialog, IDS_VIDEO_INPUT_FORMAT);
    if (!format) {
        benchState.SkipWithError("no input format row");
        return;
    }
    int choice = 3; // standard definition, 720p, 1080i
    for (auto _ : benchState) {
        script.answer(choice);
        choice = 4 - choice;
        if (!format->TrackPopup(QPoint()))
            benchState.SkipWithError("the input format did not change");
        QCoreApplication::sendPostedEvents(dialog);
        script.clear();
    }
}
BENCHMARK(inputFormatChange)->Unit(benchmark::kMicrosecond);

// The first channel's input tag rows built anew, as after the tag editor closed.
void tagRowsRebuilt(benchmark::State& benchState) {
    LoadedState loaded;
    loaded.state.SetProPanel(true);
    CChannelPage page;
    createShown(page);
    CChannelDlg* dialog = page.Dialog(0);
    for (auto _ : benchState) {
        // The rebuild replaces the rows, so each round finds its row again.
        CConfigItem* tag = dialog->List()->FindItem(IDS_TAG_INPUT);
        if (!tag) {
            benchState.SkipWithError("no tag row");
            return;
        }
        dialog->OnItemChange(IDS_TAG_INPUT, tag);
        dialog->List()->Relayout(true);
    }
}
BENCHMARK(tagRowsRebuilt)->Unit(benchmark::kMicrosecond);

// The largest default document with its Channel page shown, after bound rows were changed,
// each as a touch would begin, until the document differs from its start in 50 attributes
// (rows that share an attribute count once).
struct FiftyChanges {
    LoadedState loaded;
    CChannelPage page;
    bool made = false;

    FiftyChanges() {
        loaded.state.SetInitialConfig(largestDefault());
        createShown(page);
        const XmlNode start = loaded.state.GetInitialDocument()->documentNode();
        std::size_t changed = 0;
        for (int slot = 0; slot < page.ChannelCount() && changed < 50; ++slot) {
            CConfigListCtrl* list = page.Dialog(slot)->List();
            for (std::size_t i = 0; i < list->ItemCount() && changed < 50; ++i) {
                CConfigItem* item = list->ItemAt(i);
                std::string element;
                std::string attribute;
                item->GetXPath(element, attribute);
                if (element.empty() || attribute.empty())
                    continue;
                loaded.state.BeginUserChange({item->Label(), item->Binding()});
                WriteXPathValue(loaded.document->documentNode(), element + "/@" + attribute,
                                Variant("changed"));
                changed = DiffConfigurations(start, loaded.document->documentNode()).size();
            }
        }
        made = changed == 50;
    }
};

} // namespace

// What the sheet works out every half second after 50 changes spread over the four
// channels: every row's mark and the channel tabs (the Channel page has most of the rows),
// and the document difference a review lists.
void changeMarksAfterFiftyChanges(benchmark::State& benchState) {
    FiftyChanges changes;
    if (!changes.made)
        benchState.SkipWithError("fewer than 50 rows to change");
    for (auto _ : benchState) {
        benchmark::DoNotOptimize(changes.page.HasChanges());
        benchmark::DoNotOptimize(
            DiffConfigurations(changes.loaded.state.GetInitialDocument()->documentNode(),
                               changes.loaded.document->documentNode()));
    }
}
BENCHMARK(changeMarksAfterFiftyChanges)->Unit(benchmark::kMicrosecond);

// The review OK shows after the same 50 changes: every channel row compared with the start,
// the document difference, each change traced to its row or to the change it followed, and
// the channels that restart.
void reviewAfterFiftyChanges(benchmark::State& benchState) {
    FiftyChanges changes;
    if (!changes.made)
        benchState.SkipWithError("fewer than 50 rows to change");
    for (auto _ : benchState) {
        ConfigReviewBuilder builder;
        builder.AddPart("Channel", CChannelPage::kChangePart);
        for (int slot = 0; slot < changes.page.ChannelCount(); ++slot)
            builder.AddRows("Channel", std::to_string(slot + 1),
                            *changes.page.Dialog(slot)->List());
        const ConfigReview review = builder.Build();
        if (review.ListedChangeCount() != 50)
            benchState.SkipWithError("the review does not list the 50 changes");
        benchmark::DoNotOptimize(review);
    }
}
BENCHMARK(reviewAfterFiftyChanges)->Unit(benchmark::kMicrosecond);

TRELLIS_BENCH_MAIN()
