// The audio input group of a recording channel and the audio output group of a playing
// channel. Most audio rows edit many tracks at once, so their values go through the
// accessors of the audio accessor file rather than one attribute.

#include "ChannelDlg.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

using namespace ChannelPath;

namespace {

constexpr const char* kSelectedInput =
    "//AudioInput[@id=//Channel[@channelIndex=\"%d\"]/Audio/AudioInputComponent/@id]/"
    "@selectedInput";

RowRange timingRange() {
    return {-200, 0, 200, "-200 ms", "0 ms", "+200 ms", 25, "ms"};
}

} // namespace

std::vector<std::string> CChannelDlg::componentIds(const char* component) const {
    std::vector<std::string> ids;
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    if (!document)
        return ids;
    for (const XmlNode& node :
         document->documentNode().selectNodes(path(kChannel) + "/Audio/" + component))
        ids.push_back(node.attribute("id"));
    return ids;
}

HRESULT CChannelDlg::CreateAudioInputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAudioInputConfig");
    return scope.Run([&] {
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_AUDIO_INPUT,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR});
        m_audioInputIds = componentIds("AudioInputComponent");
        if (m_audioInputIds.empty())
            return;
        const std::string first = audioInput(0);

        // The input types the first component offers decide the type row.
        const XmlNodeList types = selectNodes(first + "/*");
        if (types.size() > 1) {
            auto* type = static_cast<CConfigChoiceItem*>(
                AddRow({.kind = RowKind::Choice,
                        .labelId = IDS_AUDIO_INPUT_TYPE,
                        // no binding: the accessors read and write every track
                        .flags = ITEM_INDENT | ITEM_RELAYOUT,
                        .interlock = INTERLOCK_RECORD_CHANNEL}));
            const std::pair<int, const char*> offers[] = {{IDS_ANALOG, "AudioInputAnalog"},
                                                          {IDS_AES_EBU, "AudioInputAes"},
                                                          {IDS_S_PDIF, "AudioInputSpdif"},
                                                          {IDS_EMBEDDED, "AudioInputEmbedded"}};
            for (const auto& [label, element] : offers) {
                if (exists(first + "/" + element))
                    type->AddChoice(label, Variant(element));
            }
            useAccessors(*type, &CChannelDlg::GetCustomAudioInputType,
                         &CChannelDlg::PutCustomAudioInputType);
        }

        const TrackCount embedded = GetAudioInputCount("AudioInputEmbedded");
        const TrackCount aes = GetAudioInputCount("AudioInputAes");
        addCountRow(IDS_NUMBER_OF_AUDIO_INPUTS_EMBEDDED, "AudioInputEmbedded", embedded.supporting);
        addCountRow(IDS_NUMBER_OF_AUDIO_INPUTS_AES, "AudioInputAes", aes.supporting);

        CConfigItem* group =
            AddRow({.kind = RowKind::Choice,
                    .labelId = IDS_EMBEDDED_INPUT_GROUPS,
                    .attribute = "group",
                    .flags = ITEM_INDENT,
                    .interlock = INTERLOCK_RECORD_CHANNEL,
                    .conditions = {ShownIf(kSelectedInput, "AudioInputEmbedded")}});
        useAccessors(*group, &CChannelDlg::GetCustomEmbeddedInputGroup,
                     &CChannelDlg::PutCustomEmbeddedInputGroup);

        // The trim lives in the item; the trim rule writes it to every analog input.
        CConfigItem* trim = AddRow({.kind = RowKind::Slider,
                                    .labelId = IDS_AUDIO_INPUT_TRIM,
                                    .attribute = "trim",
                                    .flags = ITEM_INDENT | ITEM_LIVE | ITEM_LOCAL,
                                    .conditions = {ShownIf(kSelectedInput, "AudioInputAnalog")},
                                    .range = {-12, 0, 12, "-12dBu", "0dBu", "12dBu", 1, "dBu"}});
        std::int32_t level = 0;
        ReadXPathTypedValue(root(), first + "/AudioInputAnalog/@trim", level);
        trim->SetLocalValue(Variant(level));

        if (embedded.supporting > 0 || aes.supporting > 0) {
            CConfigItem* timing = AddRow({.kind = RowKind::Slider,
                                          .labelId = IDS_TIMING_OFFSET_INPUT,
                                          .element = "AudioInput",
                                          .attribute = "timingOffset",
                                          .flags = ITEM_INDENT | ITEM_LIVE,
                                          .range = timingRange()});
            useAccessors(*timing, &CChannelDlg::GetCustomAudioInputTiming,
                         &CChannelDlg::PutCustomAudioInputTiming);
        }
        ShowHideEmbeddedInputFormat();
        ShowHideAesInputFormat();
    });
}

void CChannelDlg::addCountRow(int labelId, const char* type, int supporting) {
    if (supporting <= 2)
        return;
    auto* count =
        static_cast<CConfigChoiceItem*>(AddRow({.kind = RowKind::Choice,
                                                .labelId = labelId,
                                                .attribute = "group",
                                                .flags = ITEM_INDENT | ITEM_RELAYOUT,
                                                .interlock = INTERLOCK_RECORD_CHANNEL,
                                                .conditions = {ShownIf(kSelectedInput, type)}}));
    const bool embedded = labelId == IDS_NUMBER_OF_AUDIO_INPUTS_EMBEDDED;
    for (int n : {2, 4, 6, 8, 12, 16}) {
        const bool offered = n <= 4 || (n <= 8 && supporting >= 8) ||
                             (embedded && n == 12 && supporting >= 12) ||
                             (embedded && n == 16 && supporting >= 16);
        if (offered)
            count->AddChoice(std::to_string(n), Variant(static_cast<std::int32_t>(n)));
    }
    useAccessors(*count, &CChannelDlg::GetCustomAudioInputCount,
                 &CChannelDlg::PutCustomAudioInputCount);
}

HRESULT CChannelDlg::CreateAudioOutputConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAudioOutputConfig");
    return scope.Run([&] {
        m_audioOutputIds = componentIds("AudioOutputComponent");
        const OutputCount outputs = GetAudioOutputCount();
        if (outputs.aes == 0 && outputs.embedded == 0)
            return;
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_AUDIO_OUTPUT,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR});
        if (outputs.embedded > 0) {
            auto* group =
                static_cast<CConfigChoiceItem*>(AddRow({.kind = RowKind::Choice,
                                                        .labelId = IDS_EMBEDDED_OUTPUT_GROUPS,
                                                        .flags = ITEM_INDENT}));
            group->AddChoice(IDS_NONE, Variant("GroupNone"));
            const int n = outputs.embedded;
            if (n <= 4) {
                group->AddChoice(IDS_GROUP_1, Variant("Group1"));
                group->AddChoice(IDS_GROUP_2, Variant("Group2"));
                group->AddChoice(IDS_GROUP_3, Variant("Group3"));
                group->AddChoice(IDS_GROUP_4, Variant("Group4"));
            } else if (n <= 8) {
                group->AddChoice(IDS_GROUP_1_AND_2, Variant("Group1"));
                group->AddChoice(IDS_GROUP_3_AND_4, Variant("Group3"));
            } else if (n <= 12) {
                group->AddChoice(IDS_GROUPS_1_2_3, Variant("Group1"));
            } else {
                group->AddChoice(IDS_GROUPS_1_2_3_4, Variant("Group1"));
            }
            useAccessors(*group, &CChannelDlg::GetCustomEmbeddedOutputGroup,
                         &CChannelDlg::PutCustomEmbeddedOutputGroup);
        }
        CConfigItem* timing = AddRow({.kind = RowKind::Slider,
                                      .labelId = IDS_TIMING_OFFSET_OUTPUT,
                                      .element = "AudioOutput",
                                      .attribute = "timingOffset",
                                      .flags = ITEM_INDENT | ITEM_LIVE,
                                      .range = timingRange()});
        useAccessors(*timing, &CChannelDlg::GetCustomAudioOutputTiming,
                     &CChannelDlg::PutCustomAudioOutputTiming);
    });
}
