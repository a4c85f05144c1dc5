// The GPI outputs: per output the one channel that owns it, its polarity and what drives it.
// The owner holds a GpiOutputComponent child in its Gpi element.

#include "GpiDialogs.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigTextItems.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

namespace {

std::string outputComponent(const std::string& outputId) {
    return "GpiOutputComponent[@id=" + XPathLiteral(outputId) + "]";
}

// The owner's position among the channels (from 1), or "None".
Variant ownerOf(const XmlNodeList& channels, const std::string& outputId) {
    Variant owner(LoadString(IDS_NONE));
    for (std::size_t i = 0; i < channels.size(); ++i) {
        // The last owner counts, should a document name several.
        if (!channels[i].selectSingleNode("Gpi/" + outputComponent(outputId)).isNull())
            owner = Variant(static_cast<std::int32_t>(i + 1));
    }
    return owner;
}

} // namespace

void CGpiOutputDlg::buildItems(CTraceScope&, const XmlNode& root) {
    const std::vector<std::string> channels = channelNames(root);
    const bool proPanel = CConfigState().IsProPanel();
    int number = 0;
    for (const auto& [id, element] : gpis(root, "GpiOutput")) {
        addHeading(IDS_GPI_OUTPUT_N, ++number, !element.empty());
        if (element.empty())
            continue;
        const std::string controller = element + "/@controller";
        const std::string triggerAt = element + "/@triggerAt";

        // The owner is kept in the row: channels are told apart by position, as two may
        // share an id.
        auto* owner =
            new CConfigChoiceItem(IDS_CHANNEL, element, id, ITEM_INDENT | ITEM_LOCAL, this);
        owner->AddChoice(IDS_NONE, Variant(LoadString(IDS_NONE)));
        for (std::size_t i = 0; i < channels.size(); ++i)
            owner->AddChoice(channels[i], Variant(static_cast<std::int32_t>(i + 1)));
        List()->AddItem(owner);

        auto* active = new CConfigChoiceItem(IDS_ACTIVE, element, "activeHigh", ITEM_INDENT, this);
        active->AddChoice(IDS_HIGH, Variant("true"));
        active->AddChoice(IDS_LOW, Variant("false"));
        List()->AddItem(active);

        if (proPanel) {
            auto* control = new CConfigChoiceItem(IDS_CONTROL, element, "controller",
                                                  ITEM_INDENT | ITEM_RELAYOUT, this);
            control->AddChoice(IDS_APPLICATION, Variant("application"));
            control->AddChoice(IDS_POSITION_TRIGGER, Variant("trigger"));
            control->AddChoice(IDS_CHANNEL_STATE, Variant("activate"));
            List()->AddItem(control);

            auto* at = new CConfigChoiceItem(IDS_TRIGGER_AT, element, "triggerAt",
                                             ITEM_INDENT | ITEM_RELAYOUT, this);
            at->AddChoice(IDS_START_OF_MATERIAL, Variant("start"));
            at->AddChoice(IDS_END_OF_MATERIAL, Variant("end"));
            at->AddChoice(IDS_START_OF_MATERIAL_PLUS, Variant("startPlus"));
            at->AddChoice(IDS_END_OF_MATERIAL_MINUS, Variant("endMinus"));
            at->ShowIf(controller, Variant("trigger"));
            List()->AddItem(at);

            auto* offset =
                new CConfigTimecodeItem(IDS_OFFSET, element, "triggerOffset", ITEM_INDENT, this);
            offset->ShowIf(controller, Variant("trigger"));
            offset->ShowIfAny(triggerAt, Variant("startPlus"));
            offset->ShowIfAny(triggerAt, Variant("endMinus"));
            List()->AddItem(offset);

            auto* when = new CConfigChoiceItem(IDS_ACTIVATE_WHEN, element, "activateWhen",
                                               ITEM_INDENT, this);
            when->AddChoice(IDS_PLAYING, Variant("playing"));
            when->AddChoice(IDS_RECORDING, Variant("recording"));
            when->AddChoice(IDS_CUED_FOR_PLAY, Variant("cuedPlay"));
            when->AddChoice(IDS_CUED_FOR_RECORD, Variant("cuedRecord"));
            when->AddChoice(IDS_IDLE, Variant("idle"));
            when->ShowIf(controller, Variant("activate"));
            List()->AddItem(when);
        }
        auto* name =
            new CConfigNameItem(IDS_TRIGGER_NAME, element, "triggerName", ITEM_INDENT, this);
        name->ShowIf(controller, Variant("application"));
        List()->AddItem(name);
    }
    readAssignments(root);
}

void CGpiOutputDlg::readAssignments(const XmlNode& root) {
    const XmlNodeList channels = root.selectNodes("//Channel");
    forEachAssignment(IDS_CHANNEL, [&](CConfigItem& owner, const std::string& id) {
        owner.SetLocalValue(ownerOf(channels, id));
    });
}

void CGpiOutputDlg::OnItemChange(int labelId, CConfigItem& item) {
    if (labelId != IDS_CHANNEL)
        return;
    std::string element, id;
    item.GetXPath(element, id);
    Variant value;
    item.GetAttributeValue(value);
    std::int32_t position = 0;
    const bool toChannel = SUCCEEDED(value.toInt32(position)) && position > 0;

    const XmlNode root = documentRoot();
    const XmlNodeList channels = root.selectNodes("//Channel");
    XmlNode gpi;
    if (toChannel && static_cast<std::size_t>(position) <= channels.size()) {
        gpi = channels[static_cast<std::size_t>(position) - 1].firstChild("Gpi");
        // A channel that cannot take the output leaves it where it was.
        if (gpi.isNull()) {
            readAssignments(root);
            refuseChannels({channelNames(root)[static_cast<std::size_t>(position) - 1]}, item);
            return;
        }
    }
    // An output belongs to one channel at most: it leaves every other.
    for (const XmlNode& component : root.selectNodes("//Gpi/" + outputComponent(id)))
        component.parent().removeChild(component);
    if (!gpi.isNull())
        gpi.appendElement("GpiOutputComponent").setAttribute("id", id);
    readAssignments(root);
}
