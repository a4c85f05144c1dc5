// The GPI inputs: per input the channels it triggers, its action and its polarity. The
// channels are GpiInputComponent children of each channel's Gpi element.

#include "GpiDialogs.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigMaskItem.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

namespace {

// Channel i of the mask is bit i; a mask has room for this many channels.
constexpr std::size_t kMaskChannels = 31;

std::string inputComponent(const std::string& inputId) {
    return "GpiInputComponent[@id=" + XPathLiteral(inputId) + "]";
}

} // namespace

void CGpiInputDlg::buildItems(CTraceScope&, const XmlNode& root) {
    const std::vector<std::string> channels = channelNames(root);
    int number = 0;
    for (const auto& [id, element] : gpis(root, "GpiInput")) {
        addHeading(IDS_GPI_INPUT_N, ++number, !element.empty());
        if (element.empty())
            continue;
        auto* trigger =
            new CConfigMaskItem(IDS_TRIGGER_CHANNELS, 0, element, id, ITEM_INDENT, this);
        for (std::size_t i = 0; i < channels.size() && i < kMaskChannels; ++i)
            trigger->AddString(channels[i]);
        List()->AddItem(trigger);

        auto* action =
            new CConfigChoiceItem(IDS_TRIGGER_ACTION, element, "triggerAction", ITEM_INDENT, this);
        for (const auto& [label, value] : {std::pair{IDS_PLAY, "Play"},
                                           {IDS_RECORD, "Record"},
                                           {IDS_STOP, "Stop"},
                                           {IDS_REWIND, "Rewind"},
                                           {IDS_FAST_FORWARD, "FastForward"},
                                           {IDS_CUE_START, "CueStart"},
                                           {IDS_CUE_END, "CueEnd"},
                                           {IDS_EJECT, "Eject"},
                                           {IDS_PREVIEW, "Preview"},
                                           {IDS_CUE_NEXT_EVENT, "CueNextEvent"},
                                           {IDS_CUE_PREV_EVENT, "CuePrevEvent"},
                                           {IDS_CUE_NEXT_SECTION, "CueNextSection"},
                                           {IDS_CUE_PREV_SECTION, "CuePrevSection"},
                                           {IDS_VAR_PLAYBACK, "VarPlay"}})
            action->AddChoice(label, Variant(value));
        List()->AddItem(action);

        auto* active = new CConfigChoiceItem(IDS_ACTIVE, element, "activeHigh", ITEM_INDENT, this);
        active->AddChoice(IDS_HIGH, Variant("true"));
        active->AddChoice(IDS_LOW, Variant("false"));
        List()->AddItem(active);
    }
    readAssignments(root);
}

void CGpiInputDlg::readAssignments(const XmlNode& root) {
    const XmlNodeList channels = root.selectNodes("//Channel");
    forEachAssignment(IDS_TRIGGER_CHANNELS, [&](CConfigItem& trigger, const std::string& id) {
        std::int32_t mask = 0;
        for (std::size_t i = 0; i < channels.size() && i < kMaskChannels; ++i) {
            if (!channels[i].selectSingleNode("Gpi/" + inputComponent(id)).isNull())
                mask |= std::int32_t{1} << i;
        }
        trigger.SetLocalValue(Variant(mask));
    });
}

void CGpiInputDlg::OnItemChange(int labelId, CConfigItem& item) {
    if (labelId != IDS_TRIGGER_CHANNELS)
        return;
    std::string element, id;
    item.GetXPath(element, id);
    Variant value;
    item.GetAttributeValue(value);
    std::int32_t mask = 0;
    value.toInt32(mask);

    const XmlNode root = documentRoot();
    const XmlNodeList channels = root.selectNodes("//Channel");
    const std::vector<std::string> names = channelNames(root);
    std::vector<std::string> refused;
    for (std::size_t i = 0; i < channels.size() && i < kMaskChannels; ++i) {
        const bool wanted = (mask >> i) & 1;
        // Each channel's own Gpi element: a channel without one shifts no other's.
        const XmlNode gpi = channels[i].firstChild("Gpi");
        if (gpi.isNull()) {
            if (wanted)
                refused.push_back(names[i]);
            continue;
        }
        const XmlNodeList assigned = gpi.selectNodes(inputComponent(id));
        if (!wanted) {
            for (const XmlNode& component : assigned)
                gpi.removeChild(component);
        } else if (assigned.empty()) {
            // Inputs go ahead of the channel's outputs.
            const XmlNode firstOutput = gpi.firstChild("GpiOutputComponent");
            const XmlNode component =
                firstOutput.isNull() ? gpi.appendElement("GpiInputComponent")
                                     : gpi.insertElementBefore("GpiInputComponent", firstOutput);
            component.setAttribute("id", id);
        }
    }
    // The row shows what the document now holds.
    readAssignments(root);
    if (!refused.empty())
        refuseChannels(refused, item);
}
