// The channel monitor options, built for every channel type.

#include "ChannelDlg.h"

#include "items/ConfigItem.h"
#include "platform/Metrics.h"
#include "platform/StringIds.h"
#include "state/TraceScope.h"

namespace {

constexpr const char* kMonitor = "//Channel[@channelIndex=\"%d\"]/Monitor";

RowSpec yesNoRow(int labelId, const char* attribute) {
    return {.kind = RowKind::Choice,
            .labelId = labelId,
            .element = kMonitor,
            .attribute = attribute,
            .flags = ITEM_INDENT,
            .choices = {{IDS_YES, "true"}, {IDS_NO, "false"}}};
}

const std::vector<RowSpec>& monitorRows() {
    static const std::vector<RowSpec> rows = {
        {.kind = RowKind::Heading,
         .labelId = IDS_CHANNEL_MONITORING,
         .flags = ITEM_UNBOUND | ITEM_SEPARATOR},
        yesNoRow(IDS_DISPLAY_AUDIO_METERS, "audioMeters"),
    };
    return rows;
}

// What only the server's own screen shows.
const std::vector<RowSpec>& serverScreenRows() {
    static const std::vector<RowSpec> rows = {
        yesNoRow(IDS_DISPLAY_CHANNEL_INFORMATION, "channelInfo"),
        {.kind = RowKind::Choice,
         .labelId = IDS_CHANNEL_TAB_LABEL,
         .element = kMonitor,
         .attribute = "tabLabel",
         .flags = ITEM_INDENT,
         .choices = {{IDS_APPLICATION_NAME, "ApplicationName"},
                     {IDS_ASSET_NAME, "AssetName"},
                     {IDS_TIMECODE, "Timecode"},
                     {IDS_COUNTDOWN, "Countdown"}}},
    };
    return rows;
}

} // namespace

HRESULT CChannelDlg::CreateMonitorConfig(XmlDocument*) {
    CTraceScope scope("CChannelDlg::CreateMonitorConfig");
    return scope.Run([&] {
        AddRows(monitorRows());
        if (!IsWorkstationMode())
            AddRows(serverScreenRows());
    });
}
