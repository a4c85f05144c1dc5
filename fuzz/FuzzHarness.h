#pragma once
// What every fuzz target shares: a Qt application on the offscreen platform, the scripted
// prompter answering every question, a configuration state over stand-in services (the
// stand-in server's own rules judge a loaded file), every page of the sheet, and the check
// that the review lists exactly the document's differences.
//
// The pages are built once per process, over an empty configuration; each input gives them
// its own document, which they take as they take a loaded file, and at its end they are
// shown over the empty configuration again. So every input, the first included, starts from
// the same pages (one input run alone ends as it did in a run of many), and what an input
// builds is freed within it, as the leak check expects.

#include "channel/ChannelPage.h"
#include "pages/GangPage.h"
#include "pages/GpiPage.h"
#include "pages/PanelPage.h"
#include "pages/RemotePage.h"
#include "pages/SecurityPage.h"
#include "pages/SystemPage.h"
#include "state/ConfigState.h"
#include "support/ScriptedPrompter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CConfigListCtrl;

// Every page of the sheet, built and shown at the sheet's page size.
struct FuzzPages {
    CSystemPage system;
    CChannelPage channel;
    CGangPage gang;
    CGpiPage gpi;
    CPanelPage panel;
    CRemotePage remote;
    // Its channel tabs are made once, from the document of its making: it is made anew for
    // each document.
    std::unique_ptr<CSecurityPage> security;

    // The lists of rows a touch can reach, page by page and tab by tab.
    std::vector<CConfigListCtrl*> Lists() const;
};

class FuzzHarness {
public:
    static FuzzHarness& Instance();

    // Runs one input: the questions and what the stand-in services recorded are forgotten
    // before and after it, and the pages go back to the empty configuration after an input
    // that gave them a document.
    int Run(const std::function<void(FuzzHarness&)>& input);

    // Takes the bytes as the configuration fetched at logon; false when they are not XML.
    bool UseDocument(std::string_view bytes);
    // Every page, shown over the current document as after a Load.
    FuzzPages& ShowPages();
    // Lays every list out again, as a relayout after a change does.
    void Relayout(FuzzPages& pages);
    // Stops the run when the review of the pages does not list exactly the differences
    // between the document as it started and as it is.
    void CheckReview(FuzzPages& pages);
    ScriptedPrompter& Script() { return m_script; }
    CConfigState& State() { return m_state; }

    // The default documents of the stand-in server, then small shapes of the tests.
    static const std::vector<std::string>& BaseDocuments();

private:
    FuzzHarness();
    void forget();

    ScriptedPrompter m_script;
    CConfigState m_state;
    std::shared_ptr<XmlDocument> m_document;
    std::unique_ptr<FuzzPages> m_pages;
};
