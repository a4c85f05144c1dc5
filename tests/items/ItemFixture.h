#pragma once
// Items over a small document, with four scripted channels, a recording owner page and a
// recording main window.

#include "support/DocumentTest.h"
#include "support/FakeChannels.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

constexpr const char* kItemDocument = R"(<Config>
  <System>
    <SystemVideoReference referenceStandard="Format525_29_97Hz_2To1"/>
    <TimeOfDay timeOfDaySource="Windows" ltcInputId=""/>
    <SystemAudioReference audioUnityLevel="4"/>
  </System>
  <Channel channelIndex="0" id="C1">
    <Audio index="0" assigned="true"/>
    <Audio index="1" assigned="false"/>
  </Channel>
  <Panel varSetting="0.5" jogSpeedMax="3"/>
  <GpiOutput id="GpiOut1" controlIndex="2" triggerName="Tally1"/>
  <GpiOutput id="GpiOut2" triggerName="Tally2"/>
  <GpiOutput id="GpiOut3" triggerOffset="00:00:10:00"/>
  <AudioInput id="AI1"><AudioInputAnalog trim="0"/></AudioInput>
</Config>)";

class ItemTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        useDocument(kItemDocument);
        state.SetServices(server, log);
        installFakeChannels(state, channels,
                            {{"portstate", Variant(std::int32_t{0})},
                             {"assetname", Variant("")},
                             {"referencePresent", Variant(true)}});
        SetMainWindow(&mainWindow);
    }
    void TearDown() override {
        SetMainWindow(nullptr);
        DocumentTest::TearDown();
    }

    void setPortState(int channel, int portState) {
        channels[channel]->values["portstate"] = Variant(static_cast<std::int32_t>(portState));
    }

    std::shared_ptr<FakeConfigServer> server = std::make_shared<FakeConfigServer>();
    std::shared_ptr<FakeChannel> channels[kMaxChannels];
    MessageRecorder page;
    MessageRecorder mainWindow;
};
