#include "ChannelFixture.h"

#include "items/ConfigChoiceItem.h"

#include <QCoreApplication>

std::string channelDocument(const ChannelShape& shape) {
    const std::string profile =
        shape.profileLevel.empty() ? "" : " profileLevel=\"" + shape.profileLevel + "\"";
    return R"(<Config><System><SystemVideoReference referenceStandard=")" + shape.reference +
           R"("/></System>
  <Channel channelIndex="0" id="C1" channelType=")" +
           shape.type + R"(">
    <Video><VideoInputComponent id="VI1"/><VideoOutputComponent id="VO1"/><VideoCodecComponent id="VC1"/></Video>
    <Audio index="0"><AudioOutputComponent id="AO1.1"/></Audio>
    <Audio index="1"><AudioOutputComponent id="AO1.2"/></Audio>
    <Monitor audioMeters="true" channelInfo="false" tabLabel="Timecode"/>)" +
           shape.channelExtra + R"(
  </Channel>
  <Channel channelIndex="1" id="C2" channelType="Player">
    <Video><VideoOutputComponent id="VO2"/><VideoCodecComponent id="VC2"/></Video>
    <Audio index="0"><AudioOutputComponent id="AO2.1"/></Audio>
    <Monitor audioMeters="true" channelInfo="true" tabLabel="Timecode"/>
  </Channel>
  <VideoInput id="VI1" selectedInput=")" +
           shape.selectedInput + R"(" videoInputFormat=")" + shape.inputFormat + R"(">)" +
           shape.inputChildren +
           R"(</VideoInput>
  <VideoOutput id="VO1" videoOutputFormat=")" +
           shape.outputFormat +
           R"(" aspectRatio="4:3" aspectRatioConversion="Bars" stillPlayMode="Interpolated" testMode="false">)" +
           shape.outputChildren + R"(</VideoOutput>
  <VideoOutput id="VO2" videoOutputFormat="Format525_29_97Hz_2To1" aspectRatio="4:3" aspectRatioConversion="Bars" stillPlayMode="LineDouble" testMode="false"><VideoOutputSdi/></VideoOutput>
  <VideoCodec id="VC1" compressionFormat=")" +
           shape.compression + R"("><Mpeg)" + profile + shape.mpegAttributes + "/>" +
           shape.codecChildren + R"(</VideoCodec>
  <VideoCodec id="VC2" compressionFormat="Mpeg"><Mpeg profileLevel="422P@HL" chromaFormat="4_2_2" dataRate="50"/><UncompressedVbi enable="true"><VbiLine lineType="Luma" lineNum="21"/></UncompressedVbi></VideoCodec>
  <AudioOutput id="AO1.1" testMode="false"/><AudioOutput id="AO1.2" testMode="false"/>
  <AudioOutput id="AO2.1" testMode="false"/>)" +
           shape.configExtra + R"(
</Config>)";
}

void ChannelTest::SetUp() {
    DocumentTest::SetUp();
    installFakeChannels(state, channels,
                        {{"portstate", Variant(std::int32_t{0})},
                         {"assetname", Variant("")},
                         {"videoPresent", Variant(true)}});
}

void ChannelTest::TearDown() {
    dialog.reset();
    DocumentTest::TearDown();
}

void ChannelTest::load(const std::string& text) {
    useDocument(text);
    state.SetServices(server, log);
}

CChannelDlg& ChannelTest::build(int channelIndex) {
    dialog = std::make_unique<CChannelDlg>();
    dialog->resize(640, 2000);
    dialog->Create(channelIndex, "C" + std::to_string(channelIndex + 1), nullptr);
    dialog->show(); // a shown list builds its rows
    return *dialog;
}

std::vector<std::string> ChannelTest::offers(CConfigItem* each) {
    std::vector<std::string> result;
    if (!each)
        return result;
    script.answer(0);
    each->TrackPopup(QPoint(1, 1));
    for (const MenuEntry& entry : script.last().entries)
        result.push_back(entry.text);
    return result;
}

bool ChannelTest::pick(CConfigItem* each, const std::string& choice) {
    const std::vector<std::string> offered = offers(each);
    for (std::size_t i = 0; i < offered.size(); ++i) {
        if (offered[i] == choice) {
            script.answer(static_cast<int>(i + 1));
            const bool changed = each->TrackPopup(QPoint(1, 1));
            deliver();
            return changed;
        }
    }
    ADD_FAILURE() << "no choice " << choice;
    return false;
}

void ChannelTest::deliver() {
    QCoreApplication::sendPostedEvents(dialog.get());
}

void ChannelTest::setPortState(int channel, int portState) {
    channels[channel]->values["portstate"] = Variant(static_cast<std::int32_t>(portState));
}

void ChannelTest::setLoadedClip(int channel, const char* clip) {
    channels[channel]->values["assetname"] = Variant(clip);
}
