#pragma once
// Channel dialogs and the Channel page over small documents, with four scripted channels
// and every question answered by the scripted prompter.

#include "channel/ChannelDlg.h"
#include "items/ConfigItem.h"
#include "items/ConfigListCtrl.h"
#include "support/DocumentTest.h"
#include "support/FakeChannels.h"
#include "support/ListRows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// What one test channel's document holds; each part can be replaced.
struct ChannelShape {
    std::string type = "PlayerRecorder";
    std::string profileLevel = "422P@HL"; // empty: the codec has no profileLevel
    std::string reference = "Format525_29_97Hz_2To1";
    std::string selectedInput = "VideoInputSdi";
    std::string inputChildren =
        R"(<VideoInputSdi/><VideoInputAnalogSvideo ntscWithoutPedestal="false"/>)"
        R"(<VideoInputAnalogComposite ntscWithoutPedestal="false"/>)"
        R"(<VideoInputAnalogComponent sdComponentType="EBU_N10"/>)";
    std::string inputFormat = "Format525_29_97Hz_2To1";
    std::string compression = "Mpeg";
    std::string mpegAttributes = R"( chromaFormat="4_2_2" dataRate="50")";
    std::string codecChildren; // after the Mpeg element
    std::string channelExtra;  // more elements of channel C1
    std::string configExtra;   // more top-level elements
    std::string outputFormat = "Format525_29_97Hz_2To1";
    std::string outputChildren =
        R"(<VideoOutputSdi/><VideoOutputAnalogComposite ntscWithoutPedestal="false">)"
        R"(<ProcAmp videoGain="128" chromaGain="128" chromaPhase="0" blackLevel="0" sharpness="6"/>)"
        R"(</VideoOutputAnalogComposite><VideoOutputAnalogSvideo ntscWithoutPedestal="false"/>)"
        R"(<VideoOutputAnalogComponent sdComponentType="EBU_N10" hdComponentType="SMPTE_YUV"/>)"
        R"(<VideoOutputInterpolation/><VideoOutputFormat><Format1080_29_97Hz_2To1/>)"
        R"(<Format720_59_94Hz_1To1/><FormatXga_59_94Hz_1To1/><FormatWxga_59_94Hz_1To1/>)"
        R"(</VideoOutputFormat><VideoOutputTiming videoFieldOffset="1" videoLineOffset="2")"
        R"( videoSampleOffset="3" videoSubpixelOffset="4"/>)";
};

// A document of one channel (index 0, id C1) shaped as given, plus a second channel C2
// whose audio outputs tell whether a rule reached beyond its own channel.
std::string channelDocument(const ChannelShape& shape = {});

class ChannelTest : public DocumentTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void load(const std::string& text);
    // Builds the dialog of a channel index over the loaded document.
    CChannelDlg& build(int channelIndex = 0);

    // Every item's label, in list order; only the visible ones when asked.
    std::vector<std::string> labels(bool visibleOnly = false) const {
        return RowLabels(*dialog->List(), visibleOnly);
    }
    // The n-th item (from 0) with the label text, or null.
    CConfigItem* item(const std::string& label, int nth = 0) const {
        return RowWithLabel(*dialog->List(), label, nth);
    }
    // The visible item with the label text, or null.
    CConfigItem* shownItem(const std::string& label) const {
        return RowWithLabel(*dialog->List(), label, 0, true);
    }
    static std::string valueText(CConfigItem* item) { return ShownValue(item); }
    // The labels a choice item offers, read from the menu it opens (closed unanswered).
    std::vector<std::string> offers(CConfigItem* item);
    // Picks the choice with the label from the item's menu; true when the item changed.
    bool pick(CConfigItem* item, const std::string& choice);
    // Delivers the change messages the items posted to the dialog.
    void deliver();
    void setPortState(int channel, int portState);
    void setLoadedClip(int channel, const char* clip);

    std::shared_ptr<FakeConfigServer> server = std::make_shared<FakeConfigServer>();
    std::shared_ptr<FakeChannel> channels[kMaxChannels];
    std::unique_ptr<CChannelDlg> dialog;
};
