// A default configuration and a sequence of touches decoded from the input: which list,
// which row, which choice, slider position, mask box or text, and the answer to any
// question that follows. Each touch runs the row's change and its rules; then the lists
// are laid out and the review checked against the documents.

#include "FuzzHarness.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigMaskItem.h"
#include "items/ConfigSliderItem.h"

#include <QCheckBox>
#include <QCoreApplication>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

constexpr int kMaxTouches = 16;

// Queues the answer the row's popup or dialog will be given.
void answerFor(CConfigItem& item, FuzzedDataProvider& input, ScriptedPrompter& script) {
    const int value = input.ConsumeIntegral<std::uint8_t>();
    if (auto* choice = dynamic_cast<CConfigChoiceItem*>(&item)) {
        // 0 closes the menu without a choice.
        script.answer(value % static_cast<int>(choice->ChoiceCount() + 1));
    } else if (dynamic_cast<CConfigSliderItem*>(&item)) {
        script.answerDialog([value](QDialog& dialog) {
            static_cast<CConfigSliderDlg&>(dialog).MoveTo(value - 128);
            return IDOK;
        });
    } else if (dynamic_cast<CConfigMaskItem*>(&item)) {
        script.answerDialog([value](QDialog& dialog) {
            const auto& boxes = static_cast<CConfigMaskDlg&>(dialog).CheckBoxes();
            if (!boxes.empty())
                boxes[static_cast<std::size_t>(value) % boxes.size()]->click();
            return IDOK;
        });
    } else {
        script.answerText(IDOK, input.ConsumeRandomLengthString(24));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    return FuzzHarness::Instance().Run([&](FuzzHarness& harness) {
        const auto& bases = FuzzHarness::BaseDocuments();
        harness.UseDocument(bases[input.ConsumeIntegralInRange<std::size_t>(0, bases.size() - 1)]);
        FuzzPages& pages = harness.ShowPages();
        ScriptedPrompter& script = harness.Script();
        for (int touch = 0; touch < kMaxTouches && input.remaining_bytes() > 0; ++touch) {
            // Lists and rows are looked up anew: a rule may have rebuilt them.
            const std::vector<CConfigListCtrl*> lists = pages.Lists();
            CConfigListCtrl* list =
                lists[input.ConsumeIntegralInRange<std::size_t>(0, lists.size() - 1)];
            if (list->ItemCount() == 0)
                continue;
            CConfigItem* item =
                list->ItemAt(input.ConsumeIntegralInRange<std::size_t>(0, list->ItemCount() - 1));
            answerFor(*item, input, script);
            // An interlock's or a rule's question.
            script.answer(input.ConsumeBool() ? IDYES : IDNO);
            item->TrackPopup(QPoint());
            QCoreApplication::sendPostedEvents();
            script.clear();
        }
        harness.Relayout(pages);
        harness.CheckReview(pages);
    });
}
