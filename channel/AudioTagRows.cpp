// The audio tag groups of a channel (with the professional host element only): one row
// per run of consecutive tracks with the same tag, or "<Add Tag...>" when none has one.

#include "ChannelDlg.h"
#include "ConfigAudioTagItem.h"

#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"
#include "state/TraceScope.h"

#include <fmt/printf.h>

using namespace ChannelPath;

namespace {

std::string outputTagText(const XmlNode& component) {
    const std::string primary = component.attribute("primaryTag");
    const std::string secondary = component.attribute("secondaryTag");
    if (!primary.empty() && !secondary.empty())
        return fmt::sprintf("'%s' '%s'", primary, secondary);
    if (!primary.empty() || !secondary.empty())
        return fmt::sprintf("'%s'", primary.empty() ? secondary : primary);
    return {};
}

} // namespace

HRESULT CChannelDlg::CreateAudioInputMapConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAudioInputMapConfig");
    return scope.Run([&] {
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_AUDIO_INPUT_TAGS_HEADING,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR});
        ShowHideAudioInputTags();
    });
}

HRESULT CChannelDlg::CreateAudioOutputMapConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateAudioOutputMapConfig");
    return scope.Run([&] {
        AddRow({.kind = RowKind::Heading,
                .labelId = IDS_AUDIO_OUTPUT_TAGS_HEADING,
                .flags = ITEM_UNBOUND | ITEM_SEPARATOR});
        ShowHideAudioOutputTags();
    });
}

void CChannelDlg::ShowHideAudioInputTags() {
    showHideTags(true);
}

void CChannelDlg::ShowHideAudioOutputTags() {
    showHideTags(false);
}

void CChannelDlg::showHideTags(bool input) {
    const int tagLabel = input ? IDS_TAG_INPUT : IDS_TAG_OUTPUT;
    const int addLabel = input ? IDS_ADD_TAG_INPUT : IDS_ADD_TAG_OUTPUT;
    for (int label : {tagLabel, addLabel}) {
        POSITION position = nullptr;
        while (m_list->FindItem(label, &position))
            m_list->DeleteItem(position, false);
    }
    POSITION after = nullptr;
    if (!m_list->FindItem(input ? IDS_AUDIO_INPUT_TAGS_HEADING : IDS_AUDIO_OUTPUT_TAGS_HEADING,
                          &after))
        return; // no tag group on this channel

    const XmlNodeList components = selectNodes(
        path(kChannel) + (input ? "/Audio/AudioInputComponent" : "/Audio/AudioOutputComponent"));
    const auto tagOf = [&](std::size_t i) {
        return input ? components[i].attribute("tag") : outputTagText(components[i]);
    };
    bool any = false;
    for (std::size_t first = 0; first < components.size();) {
        const std::string tag = tagOf(first);
        std::size_t last = first;
        while (last + 1 < components.size() && tagOf(last + 1) == tag)
            ++last;
        if (!tag.empty()) {
            const std::string shown = input ? "'" + tag + "'" : tag;
            auto* row = new CConfigAudioTagItem(tagLabel, input, m_channelIndex,
                                                ITEM_INDENT | ITEM_RELAYOUT, this);
            row->SetLocalValue(Variant(
                first == last ? fmt::sprintf("%s : A%d", shown, static_cast<int>(first + 1))
                              : fmt::sprintf("%s : A%d - A%d", shown, static_cast<int>(first + 1),
                                             static_cast<int>(last + 1))));
            m_list->InsertItemAfter(after, row);
            after = row;
            any = true;
        }
        first = last + 1;
    }
    if (!any)
        m_list->InsertItemAfter(after, new CConfigAudioTagItem(addLabel, input, m_channelIndex,
                                                               ITEM_INDENT | ITEM_RELAYOUT, this));
}
