// Document access costs: reading and writing attributes by XPath on a four-channel document.

#include "platform/XmlDocument.h"
#include "state/XPathAccess.h"

#include <benchmark/benchmark.h>

#include <fmt/format.h>

namespace {

std::string channelDocument() {
    std::string text = "<Config><System><SystemVideoReference "
                       "referenceStandard=\"Format525_29_97Hz_2To1\"/></System>";
    for (int i = 0; i < 4; ++i) {
        text += fmt::format("<Channel channelIndex=\"{0}\" id=\"C{1}\"><Video><VideoInputComponent "
                            "id=\"VI{0}\"/></Video></Channel>",
                            i, i + 1);
        text +=
            fmt::format("<VideoInput id=\"VI{0}\" selectedInput=\"VideoInputSdi\" "
                        "videoInputFormat=\"Format525_29_97Hz_2To1\"><VideoInputSdi/></VideoInput>",
                        i);
    }
    return text + "</Config>";
}

void readNestedXPath(benchmark::State& state) {
    XmlDocument document;
    document.loadXml(channelDocument());
    std::string value;
    for (auto _ : state) {
        ReadXPathValue(document.documentNode(),
                       "//VideoInput[@id=//Channel[@channelIndex=\"2\"]/Video/VideoInputComponent/"
                       "@id]/@selectedInput",
                       value);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(readNestedXPath);

void writeAttribute(benchmark::State& state) {
    XmlDocument document;
    document.loadXml(channelDocument());
    for (auto _ : state)
        WriteXPathValue(document.documentNode(),
                        "./Config/System/SystemVideoReference/@referenceStandard",
                        Variant("Format625_25Hz_2To1"));
}
BENCHMARK(writeAttribute);

} // namespace

BENCHMARK_MAIN();
