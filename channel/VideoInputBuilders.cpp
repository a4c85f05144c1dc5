// The video input group of a recording channel and the input pedestal accessors.

#include "ChannelDlg.h"

#include "items/ConfigItem.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

using namespace ChannelPath;
using namespace VideoFormat;

namespace {

const std::vector<RowSpec>& inputRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Heading,
         .labelId = IDS_VIDEO_INPUT,
         .flags = ITEM_UNBOUND | ITEM_SEPARATOR},
        {.kind = RowKind::Choice,
         .labelId = IDS_INPUT_TYPE,
         .element = kInput,
         .attribute = "selectedInput",
         .flags = ITEM_INDENT | ITEM_RELAYOUT,
         .interlock = INTERLOCK_RECORD_CHANNEL,
         .choices = {{IDS_SDI, "VideoInputSdi", "VideoInputSdi"},
                     {IDS_S_VIDEO, "VideoInputAnalogSvideo", "VideoInputAnalogSvideo"},
                     {IDS_ANALOG_COMPOSITE, "VideoInputAnalogComposite",
                      "VideoInputAnalogComposite"},
                     {IDS_ANALOG_COMPONENT, "VideoInputAnalogComponent",
                      "VideoInputAnalogComponent"}}},
        {.kind = RowKind::Choice,
         .labelId = IDS_INPUT_COMPONENT_TYPE,
         .element = "//VideoInput[@id=//Channel[@channelIndex=\"%d\"]/Video/"
                    "VideoInputComponent/@id]/VideoInputAnalogComponent",
         .attribute = "sdComponentType",
         .flags = ITEM_INDENT,
         .conditions = {ShownIf(kInputSelection, "VideoInputAnalogComponent")},
         .choices = {{IDS_Y_PB_PR, "EBU_N10"}}},
    };
    return rows;
}

const RowSpec& inputPedestalRow() {
    static const RowSpec row = {
        .kind = RowKind::Choice,
        .labelId = IDS_INPUT_PEDESTAL,
        .element = kInput,
        .attribute = "ntscWithoutPedestal",
        .flags = ITEM_INDENT | ITEM_LIVE,
        .conditions = {ShownIf(kReferenceStandard, k525),
                       ShownIfAny(kInputSelection, "VideoInputAnalogComposite"),
                       ShownIfAny(kInputSelection, "VideoInputAnalogSvideo")},
        .choices = {{IDS_ON, "false"}, {IDS_OFF, "true"}},
        .builtIf = &ChannelFlags::inputComposite};
    return row;
}

const RowSpec kInputPresentRow = {
    .kind = RowKind::Status, .labelId = IDS_VIDEO_INPUT_PRESENT, .attribute = "videoPresent"};

} // namespace

HRESULT CChannelDlg::CreateVideoInputTypeConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateVideoInputTypeConfig");
    return scope.Run([&] {
        AddRows(inputRows());
        if (CConfigItem* pedestal = AddRow(inputPedestalRow()))
            useAccessors(*pedestal, &CChannelDlg::GetCustomInputCompositeType,
                         &CChannelDlg::PutCustomInputCompositeType);
        AddRow(kInputPresentRow);
    });
}

HRESULT CChannelDlg::getPedestal(const XmlDocument* document, const char* direction,
                                 Variant& value) {
    CTraceScope scope("CChannelDlg::GetCustom%sCompositeType",
                      std::string(direction) == "VideoInput" ? "Input" : "Output");
    return scope.Run([&] {
        std::string text = "false";
        if (document) {
            const std::string component =
                std::string(direction) == "VideoInput" ? path(kInput) : path(kOutput);
            ReadXPathValue(document->documentNode(),
                           component + "/" + direction + "AnalogComposite/@ntscWithoutPedestal",
                           text);
        }
        value = Variant(text);
    });
}

HRESULT CChannelDlg::putPedestal(const char* direction, const Variant& value, CConfigItem& item) {
    CTraceScope scope("CChannelDlg::PutCustom%sCompositeType",
                      std::string(direction) == "VideoInput" ? "Input" : "Output");
    return scope.Run([&] {
        std::string base;
        std::string attribute;
        item.GetXPath(base, attribute);
        CConfigState state;
        scope.Check(state.PutAttributeValue(base + "/" + direction + "AnalogComposite",
                                            "ntscWithoutPedestal", value, false, true));
        // Composite and S-video share one pedestal setting.
        const std::string svideo = base + "/" + direction + "AnalogSvideo";
        if (exists(svideo))
            scope.Check(state.PutAttributeValue(svideo, "ntscWithoutPedestal", value, false, true));
    });
}

HRESULT CChannelDlg::GetCustomInputCompositeType(XmlDocument* document, CConfigItem&, std::intptr_t,
                                                 Variant& value) {
    return getPedestal(document, "VideoInput", value);
}

HRESULT CChannelDlg::PutCustomInputCompositeType(const Variant& value, XmlDocument*,
                                                 CConfigItem& item, std::intptr_t) {
    return putPedestal("VideoInput", value, item);
}
