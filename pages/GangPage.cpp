#include "GangPage.h"

#include "GangDlg.h"
#include "GangRules.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

#include <QStringList>

#include <cstdint>
#include <optional>

namespace {

constexpr const char* kGangCaption = "Ganging";

struct Write {
    std::string element;
    std::string attribute;
    Variant value;
};

// What a control's change writes. A membership change also needs the channel's gang order,
// which the rules renumber afterwards.
struct GangChange {
    std::vector<Write> writes;
    bool membership = false;
};

// The change a control posted, or none for an id or value the page does not know, or for a
// column whose channel may not be changed.
std::optional<GangChange> changeFor(WPARAM controlId, LPARAM value, const GangSettings& now) {
    for (std::size_t c = 0; c < IDC_GANG_COLUMN.size(); ++c) {
        if (controlId != static_cast<WPARAM>(IDC_GANG_COLUMN[c]))
            continue;
        if (c >= now.columns.size() || !now.columns[c].usable || value < 0 || value > kGangCount)
            return std::nullopt;
        const std::string ganging = GangChannelXPath(now.columns[c].position) + "/Ganging";
        return GangChange{{{ganging, "gangIndex", Variant(static_cast<std::int32_t>(value - 1))}},
                          true};
    }
    const Variant flag(value != 0);
    for (std::size_t gang = 0; gang < kGangCount; ++gang) {
        const std::string element = GangXPath(static_cast<int>(gang));
        if (controlId == static_cast<WPARAM>(IDC_SINGLE_CONTROLLER[gang]))
            return GangChange{{{element, "singleController", flag},
                               {element, "playSameClip", flag},
                               {element, "recordSameClip", flag}}};
        if (controlId == static_cast<WPARAM>(IDC_CONSOLIDATE_AUDIO[gang]))
            return GangChange{{{element, "consolidateAudio", flag}}};
        if (controlId == static_cast<WPARAM>(IDC_CONSOLIDATE_VIDEO[gang]))
            return GangChange{{{element, "consolidateVideo", flag}}};
    }
    return std::nullopt;
}

// Whether the document has a place for every value the change writes.
bool hasPlaces(const CGangWrites& writes, const GangChange& change) {
    for (const Write& write : change.writes) {
        if (!writes.Has(write.element, write.attribute))
            return false;
    }
    return !change.membership || writes.Has(change.writes.front().element, "gangOrder");
}

} // namespace

CGangPage::CGangPage() : CTouchPropertyPage(QStringLiteral("GangPage")) {}

CGangPage::~CGangPage() = default;

bool CGangPage::OnInitDialog() {
    CTraceScope scope("CGangPage::OnInitDialog");
    scope.Run([&] {
        AddFileWizardButtons();
        m_dialog = new CGangDlg(this);
        m_dialog->show();
        LoadGangSettings();
    });
    return true;
}

void CGangPage::LoadGangSettings() {
    if (!m_dialog)
        return;
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    m_dialog->SetSettings(document ? ReadGangSettings(document->documentNode()) : GangSettings());
}

LRESULT CGangPage::OnItemChange(WPARAM controlId, LPARAM value) {
    CTraceScope scope("CGangPage::OnItemChange");
    scope.Run([&] {
        CConfigState state;
        std::shared_ptr<XmlDocument> document;
        state.GetConfigDocument(document);
        if (!document)
            return;
        if (state.IsReadOnly()) {
            TellNotAuthorized("Security", this);
            return;
        }
        // Read afresh: the column must still name the channel it did when it was touched.
        const GangSettings now = ReadGangSettings(document->documentNode());
        const std::optional<GangChange> change = changeFor(controlId, value, now);
        if (!change)
            return;
        CGangWrites writes(scope, document->documentNode());
        if (!hasPlaces(writes, *change)) {
            prompter().messageBox(
                "This setting is missing from the configuration, so it cannot be changed.",
                kGangCaption, MB_TOUCH_WARNING, this);
            return;
        }
        for (const Write& write : change->writes)
            writes.Put(write.element, write.attribute, write.value);
        if (!change->membership)
            return;
        UpdateGangOrder(writes, now);
        CopyLeaderSettings(writes, now);
        if (!writes.Missed().empty()) {
            QStringList missed;
            for (const std::string& setting : writes.Missed())
                missed << QString::fromStdString(setting);
            prompter().messageBox("These gang settings are missing from the configuration, so "
                                  "they were not changed: " +
                                      missed.join(QStringLiteral(", ")).toStdString(),
                                  kGangCaption, MB_TOUCH_WARNING, this);
        }
    });
    if (scope.Failed())
        prompter().messageBox(scope.FailureText(), kGangCaption, MB_TOUCH_ERROR, this);
    // The controls show what the document now holds, also after a refusal or a failure.
    LoadGangSettings();
    return 0;
}

LRESULT CGangPage::OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONFIG_RELAYOUT:
        LoadGangSettings();
        return 0;
    case WM_CONFIG_ITEM_CHANGED:
        return OnItemChange(wParam, lParam);
    default:
        return 0;
    }
}

void CGangPage::resizeEvent(QResizeEvent* event) {
    CTouchPropertyPage::resizeEvent(event);
    // A margin at the sides and the top only: the grid and the options need nearly all of
    // the page's height to keep every control a finger high, and the sheet leaves room
    // below the page already.
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    if (m_dialog)
        m_dialog->setGeometry(margin, margin, width() - 2 * margin, height() - margin);
}

void CGangPage::showEvent(QShowEvent* event) {
    LoadGangSettings();
    CTouchPropertyPage::showEvent(event);
}

bool CGangPage::HasChanges() {
    return CConfigState().PartDiffersFromStart(kChangePart);
}
