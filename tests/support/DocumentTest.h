#pragma once
// A test over one document held by the shared configuration state, with a log and the
// scripted prompter answering every question.

#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/XPathAccess.h"
#include "support/FakeServices.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { script.install(); }
    void TearDown() override { state.SetDocument(nullptr); }

    // Makes the text the state's document, for a user with or without the right to change it.
    void useDocument(const std::string& text, bool authorized = true) {
        document = std::make_shared<XmlDocument>();
        ASSERT_EQ(document->loadXml(text), S_OK);
        state.SetDocument(document);
        state.SetServices(nullptr, log);
        state.SetLogonFlags(true, authorized);
    }
    // The text at the path, or the given text when nothing is there.
    std::string read(const std::string& xpath, std::string missing = {}) const {
        ReadXPathValue(document->documentNode(), xpath, missing);
        return missing;
    }

    std::shared_ptr<XmlDocument> document;
    std::shared_ptr<FakeLog> log = std::make_shared<FakeLog>();
    CConfigState state;
    ScriptedPrompter script;
};
