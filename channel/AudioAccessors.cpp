// The audio rows' values: input type, track counts and assignment, embedded groups,
// per-pair input formats and timing offsets, each read from and written to every track of
// the channel. Writes go to the document only unless a row is live.

#include "ChannelDlg.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

using namespace ChannelPath;

namespace {

constexpr int kEmbeddedPairFirst = IDS_A1_A2_INPUT_FORMAT_EMBEDDED;
constexpr int kEmbeddedPairLast = IDS_A15_A16_INPUT_FORMAT_EMBEDDED;
constexpr int kAesPairFirst = IDS_A1_A2_INPUT_FORMAT_AES;
constexpr int kAesPairLast = IDS_A7_A8_INPUT_FORMAT_AES;

// The document an accessor is given, or a null node when none is loaded: reads then keep
// their defaults.
XmlNode rootOf(const XmlDocument* document) {
    return document ? document->documentNode() : XmlNode();
}

int groupNumber(const std::string& group) {
    if (group.size() == 6 && group.starts_with("Group") && group[5] >= '1' && group[5] <= '4')
        return group[5] - '0';
    return 1;
}

} // namespace

XmlNode CChannelDlg::root() const {
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    return document ? document->documentNode() : XmlNode();
}

void CChannelDlg::writeDocument(CTraceScope& scope, const std::string& element,
                                const char* attribute, const Variant& value, bool live) {
    scope.Check(CConfigState().PutAttributeValue(element, attribute, value, live, true));
}

void CChannelDlg::writeAsItem(CTraceScope& scope, const std::string& element, const char* attribute,
                              const Variant& value, const CConfigItem& item) {
    scope.Check(CConfigState().PutAttributeValue(element, attribute, value,
                                                 (item.Flags() & ITEM_LIVE) != 0, item.IsFinal()));
}

XmlNodeList CChannelDlg::selectNodes(const std::string& xpath) const {
    return root().selectNodes(xpath);
}

std::string CChannelDlg::audioInput(std::size_t index) const {
    return index < m_audioInputIds.size()
               ? "//AudioInput[@id=" + XPathLiteral(m_audioInputIds[index]) + "]"
               : std::string("//AudioInput[false()]");
}

std::string CChannelDlg::audioOutput(std::size_t index) const {
    return index < m_audioOutputIds.size()
               ? "//AudioOutput[@id=" + XPathLiteral(m_audioOutputIds[index]) + "]"
               : std::string("//AudioOutput[false()]");
}

std::vector<CChannelDlg::Track> CChannelDlg::inputTracks() const {
    return inputTracks(root());
}

std::vector<CChannelDlg::Track> CChannelDlg::inputTracks(const XmlNode& at) const {
    std::vector<Track> tracks;
    for (const XmlNode& audio : at.selectNodes(path(kChannel) + "/Audio")) {
        const XmlNode component = audio.selectSingleNode("AudioInputComponent");
        if (component.isNull())
            continue;
        tracks.push_back({audio.attribute("index"), audio.attribute("assigned") == "true",
                          "//AudioInput[@id=" + XPathLiteral(component.attribute("id")) + "]"});
    }
    return tracks;
}

CChannelDlg::TrackCount CChannelDlg::GetAudioInputCount(const std::string& type) const {
    return GetAudioInputCount(type, root());
}

CChannelDlg::TrackCount CChannelDlg::GetAudioInputCount(const std::string& type,
                                                        const XmlNode& at) const {
    TrackCount count;
    for (const Track& track : inputTracks(at)) {
        if (at.selectSingleNode(track.input + "/" + type).isNull())
            continue;
        ++count.supporting;
        if (track.assigned)
            ++count.assigned;
    }
    return count;
}

CChannelDlg::OutputCount CChannelDlg::GetAudioOutputCount() const {
    OutputCount count;
    for (std::size_t i = 0; i < m_audioOutputIds.size(); ++i) {
        count.aes += exists(audioOutput(i) + "/AudioOutputAes") ? 1 : 0;
        count.embedded += exists(audioOutput(i) + "/AudioOutputEmbedded") ? 1 : 0;
    }
    return count;
}

std::string CChannelDlg::trackPath(const std::string& index) const {
    return path(kChannel) + "/Audio[@index=" + XPathLiteral(index) + "]";
}

HRESULT CChannelDlg::GetCustomAudioInputType(XmlDocument* document, CConfigItem&, std::intptr_t,
                                             Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustomAudioInputType");
    return scope.Run([&] {
        std::string selected;
        ReadXPathValue(rootOf(document), audioInput(0) + "/@selectedInput", selected);
        value = Variant(selected);
    });
}

HRESULT CChannelDlg::PutCustomAudioInputType(const Variant& value, XmlDocument*, CConfigItem&,
                                             std::intptr_t) {
    CTraceScope scope("CChannelDlg::PutCustomAudioInputType");
    return scope.Run([&] {
        const std::string type = value.toText();
        const int countLabel = type == "AudioInputAes"        ? IDS_NUMBER_OF_AUDIO_INPUTS_AES
                               : type == "AudioInputEmbedded" ? IDS_NUMBER_OF_AUDIO_INPUTS_EMBEDDED
                                                              : 0;
        // The count the user set for that type, read before the tracks change.
        CConfigItem* countItem = countLabel ? m_list->FindItem(countLabel) : nullptr;
        Variant count;
        if (countItem)
            countItem->GetAttributeValue(count);
        for (const Track& track : inputTracks()) {
            const bool supports = exists(track.input + "/" + type);
            writeDocument(scope, track.input, "selectedInput",
                          Variant(supports ? type : std::string()));
            writeDocument(scope, trackPath(track.index), "assigned",
                          Variant(supports ? "true" : "false"));
        }
        if (countItem) {
            std::int32_t n = 0;
            count.toInt32(n);
            CheckAudioResourceAssignment(scope, n);
        }
        ShowHideAesInputFormat();
        ShowHideEmbeddedInputFormat();
    });
}

void CChannelDlg::CheckAudioResourceAssignment(CTraceScope& scope, int count) {
    int counted = 0;
    for (const Track& track : inputTracks()) {
        ++counted;
        std::string selected;
        ReadXPathValue(root(), track.input + "/@selectedInput", selected);
        if (counted > count)
            writeDocument(scope, trackPath(track.index), "assigned", Variant("false"));
        else if (!selected.empty())
            writeDocument(scope, trackPath(track.index), "assigned", Variant("true"));
    }
}

HRESULT CChannelDlg::GetCustomAudioInputCount(XmlDocument* document, CConfigItem& item,
                                              std::intptr_t, Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustomAudioInputCount");
    return scope.Run([&] {
        const bool embedded = item.GetLabelId() == IDS_NUMBER_OF_AUDIO_INPUTS_EMBEDDED;
        value = Variant(static_cast<std::int32_t>(
            GetAudioInputCount(embedded ? "AudioInputEmbedded" : "AudioInputAes", rootOf(document))
                .assigned));
    });
}

HRESULT CChannelDlg::PutCustomAudioInputCount(const Variant& value, XmlDocument*, CConfigItem& item,
                                              std::intptr_t) {
    CTraceScope scope("CChannelDlg::PutCustomAudioInputCount");
    return scope.Run([&] {
        std::int32_t n = 0;
        scope.Check(value.toInt32(n));
        CheckAudioResourceAssignment(scope, n);
        if (item.GetLabelId() == IDS_NUMBER_OF_AUDIO_INPUTS_AES) {
            ShowHideAesInputFormat();
            return;
        }
        // The group choices follow the count, and the groups are numbered again.
        if (CConfigItem* group = m_list->FindItem(IDS_EMBEDDED_INPUT_GROUPS)) {
            Variant chosen;
            scope.Check(group->GetAttributeValue(chosen));
            SetAudioInputEmbeddedGroup(scope, chosen.toText());
        }
        ShowHideEmbeddedInputFormat();
    });
}

HRESULT CChannelDlg::GetCustomEmbeddedInputGroup(XmlDocument* document, CConfigItem& item,
                                                 std::intptr_t, Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustomEmbeddedInputGroup");
    return scope.Run([&] {
        const XmlNode at = rootOf(document);
        std::string group = "Group1";
        ReadXPathValue(at, audioInput(0) + "/AudioInputEmbedded/@group", group);
        // The choices fit the document read: the item shows what it read last.
        const int assigned = GetAudioInputCount("AudioInputEmbedded", at).assigned;
        auto* choices = dynamic_cast<CConfigChoiceItem*>(&item);
        if (choices)
            choices->RemoveAllChoices();
        const auto offer = [&](int label, const char* choice) {
            if (choices)
                choices->AddChoice(label, Variant(choice));
        };
        if (assigned > 12) {
            offer(IDS_GROUPS_1_2_3_4, "Group1");
            group = "Group1";
        } else if (assigned > 8) {
            offer(IDS_GROUPS_1_2_3, "Group1");
            group = "Group1";
        } else if (assigned > 4) {
            offer(IDS_GROUP_1_AND_2, "Group1");
            offer(IDS_GROUP_3_AND_4, "Group3");
            if (group == "Group2")
                group = "Group1";
            else if (group == "Group4")
                group = "Group3";
        } else {
            offer(IDS_GROUP_1, "Group1");
            offer(IDS_GROUP_2, "Group2");
            offer(IDS_GROUP_3, "Group3");
            offer(IDS_GROUP_4, "Group4");
        }
        value = Variant(group);
    });
}

HRESULT CChannelDlg::PutCustomEmbeddedInputGroup(const Variant& value, XmlDocument*, CConfigItem&,
                                                 std::intptr_t) {
    CTraceScope scope("CChannelDlg::PutCustomEmbeddedInputGroup");
    return scope.Run([&] { SetAudioInputEmbeddedGroup(scope, value.toText()); });
}

void CChannelDlg::SetAudioInputEmbeddedGroup(CTraceScope& scope, const std::string& value) {
    std::vector<std::pair<std::string, bool>> components;
    for (const Track& track : inputTracks())
        components.emplace_back(track.input + "/AudioInputEmbedded", track.assigned);
    numberEmbeddedGroups(scope, components, value);
}

void CChannelDlg::numberEmbeddedGroups(CTraceScope& scope,
                                       const std::vector<std::pair<std::string, bool>>& components,
                                       const std::string& value) {
    const int start = groupNumber(value);
    int counted = 0;
    for (const auto& [embedded, assigned] : components) {
        if (!exists(embedded))
            continue;
        // Four tracks to a group: tracks 1 to 4 take the first group, 5 to 8 the next.
        const int group = start + counted / 4;
        ++counted;
        const bool none = !assigned || value == "GroupNone";
        writeDocument(scope, embedded, "group",
                      Variant(none ? std::string("GroupNone") : "Group" + std::to_string(group)));
    }
}

HRESULT CChannelDlg::GetCustomEmbeddedOutputGroup(XmlDocument* document, CConfigItem&,
                                                  std::intptr_t, Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustomEmbeddedOutputGroup");
    return scope.Run([&] {
        std::string group = "Group1";
        ReadXPathValue(rootOf(document), audioOutput(0) + "/AudioOutputEmbedded/@group", group);
        value = Variant(group);
    });
}

HRESULT CChannelDlg::PutCustomEmbeddedOutputGroup(const Variant& value, XmlDocument*, CConfigItem&,
                                                  std::intptr_t) {
    CTraceScope scope("CChannelDlg::PutCustomEmbeddedOutputGroup");
    return scope.Run([&] { SetAudioOutputEmbeddedGroup(scope, value.toText()); });
}

void CChannelDlg::SetAudioOutputEmbeddedGroup(CTraceScope& scope, const std::string& value) {
    // Outputs have no assignment: "GroupNone" turns every embedded output off.
    std::vector<std::pair<std::string, bool>> components;
    for (std::size_t i = 0; i < m_audioOutputIds.size(); ++i)
        components.emplace_back(audioOutput(i) + "/AudioOutputEmbedded", true);
    numberEmbeddedGroups(scope, components, value);
}

HRESULT CChannelDlg::readTiming(const XmlDocument* document, const std::string& component,
                                Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustomAudioTiming");
    return scope.Run([&] {
        std::int32_t offset = 0;
        ReadXPathTypedValue(rootOf(document), component + "/@timingOffset", offset);
        value = Variant(offset);
    });
}

HRESULT CChannelDlg::writeTiming(bool input, const Variant& value, CConfigItem& item) {
    CTraceScope scope("CChannelDlg::PutCustomAudioTiming");
    return scope.Run([&] {
        const std::size_t count = input ? m_audioInputIds.size() : m_audioOutputIds.size();
        for (std::size_t i = 0; i < count; ++i)
            writeAsItem(scope, input ? audioInput(i) : audioOutput(i), "timingOffset", value, item);
    });
}

HRESULT CChannelDlg::GetCustomAudioInputTiming(XmlDocument* document, CConfigItem&, std::intptr_t,
                                               Variant& value) {
    return readTiming(document, audioInput(0), value);
}
HRESULT CChannelDlg::PutCustomAudioInputTiming(const Variant& value, XmlDocument*,
                                               CConfigItem& item, std::intptr_t) {
    return writeTiming(true, value, item);
}
HRESULT CChannelDlg::GetCustomAudioOutputTiming(XmlDocument* document, CConfigItem&, std::intptr_t,
                                                Variant& value) {
    return readTiming(document, audioOutput(0), value);
}
HRESULT CChannelDlg::PutCustomAudioOutputTiming(const Variant& value, XmlDocument*,
                                                CConfigItem& item, std::intptr_t) {
    return writeTiming(false, value, item);
}

void CChannelDlg::ShowHideEmbeddedInputFormat() {
    showHideInputFormat("AudioInputEmbedded", kEmbeddedPairFirst, kEmbeddedPairLast,
                        IDS_EMBEDDED_INPUT_GROUPS);
}

void CChannelDlg::ShowHideAesInputFormat() {
    showHideInputFormat("AudioInputAes", kAesPairFirst, kAesPairLast,
                        IDS_NUMBER_OF_AUDIO_INPUTS_AES);
}

void CChannelDlg::showHideInputFormat(const char* type, int firstLabel, int lastLabel,
                                      int anchorLabel) {
    for (int label = firstLabel; label <= lastLabel; ++label) {
        POSITION position = nullptr;
        if (m_list->FindItem(label, &position))
            m_list->DeleteItem(position, false);
    }
    // After the anchor row; without it (too few tracks for a count row), after the last
    // row of the input group built so far, never at the end of the list.
    POSITION after = nullptr;
    if (!m_list->FindItem(anchorLabel, &after)) {
        for (int fallback :
             {IDS_EMBEDDED_INPUT_GROUPS, IDS_NUMBER_OF_AUDIO_INPUTS_AES,
              IDS_NUMBER_OF_AUDIO_INPUTS_EMBEDDED, IDS_AUDIO_INPUT_TYPE, IDS_AUDIO_INPUT}) {
            if (m_list->FindItem(fallback, &after))
                break;
        }
    }
    const int assigned = GetAudioInputCount(type).assigned;
    for (int pair = 0; 2 * pair < assigned && firstLabel + pair <= lastLabel; ++pair) {
        const std::string first = audioInput(static_cast<std::size_t>(2 * pair));
        auto* format = new CConfigChoiceItem(firstLabel + pair, type, "audioInputFormat",
                                             ITEM_INDENT | ITEM_LOCAL, this);
        format->ShowIf(first + "/@selectedInput", Variant(type));
        format->SetInterlock(INTERLOCK_RECORD_CHANNEL, m_channelIndex);
        format->AddChoice(IDS_16_BIT_PCM, Variant("16bit"));
        format->AddChoice(IDS_24_BIT_PCM, Variant("24bit"));
        format->AddChoice(IDS_AC_3, Variant("Ac3"));
        format->AddChoice(IDS_DOLBY_E, Variant("DolbyE"));
        // The pair's format is read from its first track, in the document asked about.
        const std::string formatPath = first + "/" + type + "/@audioInputFormat";
        format->SetGetCallback(
            [formatPath](XmlDocument* document, CConfigItem&, std::intptr_t, Variant& value) {
                std::string current;
                ReadXPathValue(rootOf(document), formatPath, current);
                value = Variant(current);
                return S_OK;
            },
            0);
        format->SetPutCallback(
            [this, firstLabel](const Variant& value, XmlDocument*, CConfigItem& item,
                               std::intptr_t) {
                return PutCustomAudioInputFormat(value, item, item.GetLabelId() - firstLabel);
            },
            0);
        m_list->InsertItemAfter(after, format);
        after = format;
    }
}

HRESULT CChannelDlg::PutCustomAudioInputFormat(const Variant& value, CConfigItem& item, int pair) {
    CTraceScope scope("CChannelDlg::PutCustomAudioInputFormat");
    return scope.Run([&] {
        std::string type;
        std::string attribute;
        item.GetXPath(type, attribute);
        for (int track : {2 * pair, 2 * pair + 1}) {
            if (static_cast<std::size_t>(track) < m_audioInputIds.size())
                writeDocument(scope, audioInput(static_cast<std::size_t>(track)) + "/" + type,
                              attribute.c_str(), value);
        }
    });
}
