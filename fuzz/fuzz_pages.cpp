// Any bytes as the configuration fetched at logon: every page is built over it, every list
// laid out, the change marks worked out and the review checked.

#include "FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzHarness::Instance().Run([&](FuzzHarness& harness) {
        if (!harness.UseDocument(std::string_view(reinterpret_cast<const char*>(data), size)))
            return;
        FuzzPages& pages = harness.ShowPages();
        harness.Relayout(pages);
        harness.CheckReview(pages);
    });
}
