#include "state/TraceScope.h"
#include "state/ConfigState.h"
#include "support/FakeServices.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class TraceScopeTest : public ::testing::Test {
protected:
    void SetUp() override {
        log = std::make_shared<FakeLog>();
        state.SetServices(nullptr, log);
    }
    void TearDown() override { state.SetServices(nullptr, nullptr); }

    CConfigState state;
    std::shared_ptr<FakeLog> log;
};

} // namespace

TEST_F(TraceScopeTest, CheckReportsOnceAndTheClausesStaySilent) {
    CTraceScope scope("CConfigState::CommitConfig");
    const HRESULT result = scope.Run([&] {
        scope.Check(S_OK);
        scope.Check(E_ACCESSDENIED);
        ADD_FAILURE() << "Check must throw a failure";
    });
    EXPECT_EQ(result, E_ACCESSDENIED);
    ASSERT_EQ(log->records.size(), 1u);
    EXPECT_EQ(log->records[0].kind, LOG_KIND_OPERATION);
    EXPECT_EQ(log->records[0].status, E_ACCESSDENIED);
    EXPECT_EQ(log->records[0].text, "CConfigState::CommitConfig");
    EXPECT_EQ(log->records[0].line, -1);
}

TEST_F(TraceScopeTest, BareThrownStatusIsReportedAtTheClausesLine) {
    CTraceScope scope("CSystemPage::OnItemChange");
    const int clausesLine = __LINE__ + 1;
    const HRESULT result = scope.Run([] { throw E_INVALIDARG; });
    EXPECT_EQ(result, E_INVALIDARG);
    const auto reports = log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "Unknown error");
    EXPECT_EQ(reports[0].line, clausesLine);
    EXPECT_EQ(reports[0].file, "TraceScopeTest.cpp");
    // The closing entry names the operation.
    EXPECT_EQ(log->records.back().kind, LOG_KIND_OPERATION);
    EXPECT_EQ(log->records.back().text, "CSystemPage::OnItemChange");
}

TEST_F(TraceScopeTest, ComErrorAfterSetLocationUsesThatPlace) {
    CTraceScope scope("CConfigState::LoadConfig");
    const HRESULT result = scope.Run([&] {
        scope.SetLocation(".\\ConfigState.cpp", 735);
        throw ComError(E_INVALIDARG);
    });
    EXPECT_EQ(result, E_INVALIDARG);
    const auto reports = log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].file, "ConfigState.cpp");
    EXPECT_EQ(reports[0].line, 735);
    EXPECT_EQ(reports[0].text, "The parameter is incorrect.");
}

TEST_F(TraceScopeTest, ComErrorIsReportedEvenAfterAnEarlierReport) {
    CTraceScope scope("CConfigItem::PutAttributeValue");
    scope.Run([&] {
        scope.Report(E_FAIL, "a.cpp", 1, "%s", "first");
        scope.RaiseComError(MakeHResult(0x80040201));
    });
    const auto reports = log->reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].text, "IDispatch error #1");
    EXPECT_EQ(reports[1].file, "TraceScopeTest.cpp");
}

TEST_F(TraceScopeTest, AnythingElseBecomesUnknownFailure) {
    CTraceScope scope("CTrellisDlg::OnOK");
    const HRESULT result = scope.Run([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(result, E_FAIL);
    const auto reports = log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].status, E_FAIL);
    EXPECT_EQ(reports[0].text, "Unknown error");
}

TEST_F(TraceScopeTest, FailReportsItsMessageOnce) {
    CTraceScope scope("CConfigState::CreateAppServers");
    const HRESULT result = scope.Run([&] {
        scope.Fail(E_FAIL, "ConfigState.cpp", 42, "Could not connect to host server %s", "vs1");
    });
    EXPECT_EQ(result, E_FAIL);
    const auto reports = log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "Could not connect to host server vs1");
    EXPECT_EQ(reports[0].line, 42);
    EXPECT_TRUE(scope.IsReported());
}

TEST_F(TraceScopeTest, TheLogsStatusBecomesTheOperationsStatus) {
    log->fixedStatus = E_ABORT;
    CTraceScope scope("CChannelDlg::OnItemChange");
    EXPECT_EQ(scope.Run([&] { scope.Check(E_FAIL); }), E_ABORT);
}

TEST_F(TraceScopeTest, ALogWithoutStatusFacetKeepsTheFailure) {
    log->hasFacet = false;
    CTraceScope scope("CChannelDlg::OnItemChange");
    EXPECT_EQ(scope.Run([] { throw E_POINTER; }), E_POINTER);
}

TEST_F(TraceScopeTest, WithoutALogNothingIsWrittenButTheStatusTravels) {
    state.SetServices(nullptr, nullptr);
    CTraceScope scope("CConfigState::CreateAppServers");
    EXPECT_EQ(scope.Run([&] { scope.Check(E_ACCESSDENIED); }), E_ACCESSDENIED);
    EXPECT_TRUE(log->records.empty());
    EXPECT_TRUE(scope.IsReported());
}

TEST_F(TraceScopeTest, NamesAndFilesAreCut) {
    const std::string longName(200, 'n');
    CTraceScope scope("%s %d", longName, 7);
    EXPECT_EQ(scope.FunctionName().size(), kTraceNameLimit);
    scope.SetLocation("C:\\source\\trellis\\AVeryLongSourceFileNameThatGoesOnAndOn.cpp", 9);
    EXPECT_EQ(scope.File(), "AVeryLongSourceFileNameThatGoes");
    EXPECT_EQ(scope.File().size(), kTraceFileLimit);
    EXPECT_EQ(TraceFileName("/home/build/app/Trellis.cpp"), "Trellis.cpp");
    // A character is never split.
    EXPECT_EQ(TruncateText("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
}

TEST_F(TraceScopeTest, ReportMessagesAreCut) {
    CTraceScope scope("CRemotePage::OnOK");
    scope.Report(E_FAIL, "RemotePage.cpp", 3, "%s", std::string(600, 'x'));
    EXPECT_EQ(log->reports().at(0).text.size(), kReportMessageLimit);
}

TEST_F(TraceScopeTest, SuccessfulBodyReportsNothing) {
    CTraceScope scope("CSystemPage::CreateVideoRefConfig");
    EXPECT_EQ(scope.Run([&] { scope.Check(S_FALSE); }), S_FALSE);
    EXPECT_TRUE(log->records.empty());
    EXPECT_FALSE(scope.IsReported());
}

TEST(TraceEvent, ErrorEventsGoToTheSystemLog) {
    CTraceScope scope("CTrellisApp::InitInstance");
    EXPECT_EQ(scope.LogEvent("trellis-test", TRACE_EVENT_ERROR, E_FAIL, "Trellis.cpp", 10, "%s",
                             "test event"),
              S_OK);
    EXPECT_EQ(scope.GetResult(), E_FAIL);
    EXPECT_TRUE(scope.IsReported());
    EXPECT_EQ(scope.LogEvent("", TRACE_EVENT_INFORMATION, S_OK, "", 0, "%s", "x"), E_FAIL);
}
