#pragma once
// The two lists of the GPI page: a group of rows per GPI input and per GPI output. Which
// channels an input triggers and which channel owns an output are child elements of each
// channel's Gpi element; these dialogs create and remove them, inputs ahead of outputs.

#include "platform/MessageWindow.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CConfigItem;
class CConfigListCtrl;
class CTouchScrollBtn;
class CTraceScope;
class XmlNode;

// A list of GPI rows with its scroll button, built from the document and built anew when
// the document is replaced (Load, Restore).
class CGpiListDlg : public CMessageWindow {
    Q_OBJECT
public:
    explicit CGpiListDlg(QWidget* parent = nullptr);
    ~CGpiListDlg() override;

    // Makes the list and its rows.
    void Create();
    CConfigListCtrl* List() const { return m_list; }

protected:
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;

    // Adds the rows of every GPI of the document.
    virtual void buildItems(CTraceScope& scope, const XmlNode& root) = 0;
    // Sets the assignment rows from the document's elements.
    virtual void readAssignments(const XmlNode& root) = 0;
    virtual void OnItemChange(int labelId, CConfigItem& item) = 0;

    // The names of the channels, in document order: their ids, or their position when
    // they have none.
    static std::vector<std::string> channelNames(const XmlNode& root);
    // The GPI elements of a kind in document order, each with the XPath of its element, or
    // an empty XPath when its id is missing or taken by an earlier one.
    static std::vector<std::pair<std::string, std::string>> gpis(const XmlNode& root,
                                                                 const char* elementName);
    // Adds the heading of GPI number n (from 1) of the kind, with a separator above all but
    // the first; a GPI without an id of its own says so under it.
    void addHeading(int labelId, int number, bool usable);
    // Tells the user that these channels have no GPI settings to hold an assignment.
    void refuseChannels(const std::vector<std::string>& names, const CConfigItem& item);
    static XmlNode documentRoot();
    // Calls set for each assignment row with the label, with the id of its GPI.
    void forEachAssignment(int labelId,
                           const std::function<void(CConfigItem&, const std::string&)>& set);

private:
    void reload();

    CConfigListCtrl* m_list = nullptr;
    CTouchScrollBtn* m_scroll = nullptr;
    std::uint64_t m_builtGeneration = 0;
};

class CGpiInputDlg : public CGpiListDlg {
    Q_OBJECT
public:
    using CGpiListDlg::CGpiListDlg;

protected:
    void buildItems(CTraceScope& scope, const XmlNode& root) override;
    void readAssignments(const XmlNode& root) override;
    void OnItemChange(int labelId, CConfigItem& item) override;
};

class CGpiOutputDlg : public CGpiListDlg {
    Q_OBJECT
public:
    using CGpiListDlg::CGpiListDlg;

protected:
    void buildItems(CTraceScope& scope, const XmlNode& root) override;
    void readAssignments(const XmlNode& root) override;
    void OnItemChange(int labelId, CConfigItem& item) override;
};
