// Any bytes as a file the user loads over a default configuration: the file is judged and,
// when taken, every page is built over it and the review checked.

#include "FuzzHarness.h"

#include <QTemporaryDir>

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("loaded.xml")).toStdString();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    return FuzzHarness::Instance().Run([&](FuzzHarness& harness) {
        harness.UseDocument(FuzzHarness::BaseDocuments().front());
        std::string loaded = path;
        if (FAILED(harness.State().LoadConfig(loaded)))
            return;
        FuzzPages& pages = harness.ShowPages();
        harness.Relayout(pages);
        harness.CheckReview(pages);
    });
}
