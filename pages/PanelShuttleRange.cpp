// The Panel page's shuttle speed: one choice that stands for both ends of the range, so
// that the range the panel offers is always symmetric.

#include "PanelPage.h"
#include "PanelRows.h"

#include "platform/Variant.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <fmt/format.h>

#include <string>

namespace {

constexpr std::int32_t kNarrowRange = 16;
constexpr std::int32_t kWideRange = 32;
constexpr const char* kMinimum = "shuttleSpeedMin";
constexpr const char* kMaximum = "shuttleSpeedMax";

std::string attributePath(const char* attribute) {
    return fmt::format("{}/@{}", kPanelElement, attribute);
}

} // namespace

HRESULT CPanelPage::GetCustomShuttleSpeed(XmlDocument* document, CConfigItem&, std::intptr_t,
                                          Variant& value) {
    std::string minimum;
    std::string maximum;
    if (document) {
        const XmlNode root = document->documentNode();
        ReadXPathValue(root, attributePath(kMinimum), minimum);
        ReadXPathValue(root, attributePath(kMaximum), maximum);
    }
    // The panel's own default is the wide range.
    if (maximum.empty()) {
        value = Variant(kWideRange);
        return S_OK;
    }
    std::int32_t speed = 0;
    if (FAILED(Variant(maximum).toInt32(speed)))
        value = Variant(maximum);
    else if (!minimum.empty() && minimum != std::to_string(-speed))
        value = Variant(fmt::format("{}X to {}X", minimum, maximum));
    else
        value = Variant(speed);
    return S_OK;
}

HRESULT CPanelPage::PutCustomShuttleSpeed(const Variant& value, XmlDocument* document, CConfigItem&,
                                          std::intptr_t) {
    CTraceScope scope("CPanelPage::PutCustomShuttleSpeed");
    return scope.Run([&] {
        std::int32_t chosen = 0;
        scope.Check(value.toInt32(chosen));
        const std::int32_t range = chosen == kNarrowRange ? kNarrowRange : kWideRange;
        // Half a pair would leave the range lopsided: nothing is written unless both ends
        // are there, and the item tells the user the setting is missing.
        const XmlNode root = document ? document->documentNode() : XmlNode();
        if (root.selectSingleNode(attributePath(kMinimum)).isNull() ||
            root.selectSingleNode(attributePath(kMaximum)).isNull()) {
            scope.SetStatus(S_FALSE);
            return;
        }
        CConfigState state;
        scope.Check(state.PutAttributeValue(kPanelElement, kMinimum, Variant(-range), false, true));
        scope.Check(state.PutAttributeValue(kPanelElement, kMaximum, Variant(range), false, true));
    });
}
