#include "GpiDialogs.h"

#include "items/ConfigListCtrl.h"
#include "items/ConfigTextItems.h"
#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/TouchScrollButtons.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <set>

CGpiListDlg::CGpiListDlg(QWidget* parent) : CMessageWindow(parent) {}

CGpiListDlg::~CGpiListDlg() = default;

void CGpiListDlg::Create() {
    CTraceScope scope("CGpiListDlg::OnInitDialog");
    scope.Run([&] {
        m_list = CreateScrolledList(this, m_scroll);
        m_list->SetFrozen(true);
        m_builtGeneration = CConfigState().DocumentGeneration();
        buildItems(scope, documentRoot());
        m_list->SetFrozen(false);
    });
}

XmlNode CGpiListDlg::documentRoot() {
    std::shared_ptr<XmlDocument> document;
    CConfigState().GetConfigDocument(document);
    return document ? document->documentNode() : XmlNode();
}

void CGpiListDlg::reload() {
    if (!m_list)
        return;
    // Assignments may have changed on the other tab, so the rows read them again.
    readAssignments(documentRoot());
    ReloadList(*m_list, m_builtGeneration, "CGpiListDlg::Rebuild",
               [this](CTraceScope& scope) { buildItems(scope, documentRoot()); });
}

void CGpiListDlg::forEachAssignment(
    int labelId, const std::function<void(CConfigItem&, const std::string&)>& set) {
    for (std::size_t row = 0; row < m_list->ItemCount(); ++row) {
        CConfigItem* each = m_list->ItemAt(row);
        if (each->GetLabelId() != labelId)
            continue;
        std::string element, gpiId;
        each->GetXPath(element, gpiId);
        set(*each, gpiId);
    }
}

std::vector<std::string> CGpiListDlg::channelNames(const XmlNode& root) {
    std::vector<std::string> names;
    for (const XmlNode& channel : root.selectNodes("//Channel"))
        names.push_back(ChannelDisplayName(channel, names.size()));
    return names;
}

std::vector<std::pair<std::string, std::string>> CGpiListDlg::gpis(const XmlNode& root,
                                                                   const char* elementName) {
    std::vector<std::pair<std::string, std::string>> result;
    std::set<std::string> seen;
    for (const XmlNode& gpi : root.selectNodes(std::string("//") + elementName)) {
        const std::string id = gpi.attribute("id");
        // Rows of a GPI without an id of its own would show and change another one.
        const bool usable = gpi.hasAttribute("id") && seen.insert(id).second;
        result.emplace_back(id, usable ? "//" + std::string(elementName) +
                                             "[@id=" + XPathLiteral(id) + "]"
                                       : std::string());
    }
    return result;
}

void CGpiListDlg::addHeading(int labelId, int number, bool usable) {
    const std::string text = FormatInserts(LoadString(labelId), {std::to_string(number)});
    std::uint32_t flags = ITEM_UNBOUND | ITEM_LOCAL;
    if (number > 1)
        flags |= ITEM_SEPARATOR;
    m_list->AddItem(new CConfigTextItem(text, "", "", flags, this));
    if (!usable)
        m_list->AddItem(new CConfigTextItem("Settings not shown: this GPI has no id of its own", "",
                                            "", ITEM_UNBOUND | ITEM_INDENT, this));
}

void CGpiListDlg::refuseChannels(const std::vector<std::string>& names, const CConfigItem& item) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    const std::string text =
        (names.size() == 1 ? "Channel " + list + " has" : "Channels " + list + " have") +
        " no GPI settings in this configuration, so no GPI can be assigned to " +
        (names.size() == 1 ? "it." : "them.");
    prompter().messageBox(text, item.Label(), MB_TOUCH_ERROR, this);
}

LRESULT CGpiListDlg::OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONFIG_RELAYOUT:
        reload();
        return 0;
    case WM_CONFIG_ITEM_CHANGED: {
        if (CConfigItem* item = ChangedItemOf(m_list, lParam)) {
            OnItemChange(static_cast<int>(wParam), *item);
            m_list->Relayout(true);
        }
        return 0;
    }
    default:
        return 0;
    }
}

void CGpiListDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_list && m_scroll)
        PlaceBesideScrollButton(m_list, m_scroll, size(), FrmwkGetMetrics(METRIC_ROW_HEIGHT) / 2);
}
