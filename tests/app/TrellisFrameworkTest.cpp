#include "app/TrellisFramework.h"

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string uniqueName(const char* what) {
    return std::string("trellis-test-") + what + "-" + std::to_string(getpid());
}

} // namespace

TEST(SharedSegment, SizesGrowToTheNextGranule) {
    EXPECT_EQ(CCorvane::RoundToGranularity(4097, 65536), 65536u);
    EXPECT_EQ(CCorvane::RoundToGranularity(65536, 65536), 131072u);
    EXPECT_EQ(CCorvane::RoundToGranularity(1, 4096), 4096u);
    EXPECT_EQ(CCorvane::RoundToGranularity(4096, 4096), 8192u);
}

TEST(SharedSegment, NeedsANameAndASize) {
    CTrellisFramework framework;
    bool created = true;
    EXPECT_FALSE(framework.OpenSharedSegment(created));
    EXPECT_FALSE(created);
    framework.SetSegment(uniqueName("nosize"), 0);
    EXPECT_FALSE(framework.OpenSharedSegment(created));
    framework.SetSegment("", 100);
    EXPECT_FALSE(framework.OpenSharedSegment(created));
}

TEST(SharedSegment, SecondOpenerSharesTheCreatorsMemory) {
    const std::string name = uniqueName("share");
    CTrellisFramework first;
    first.SetAllocationGranularity(65536);
    first.SetSegment(name, 4097);
    bool created = false;
    ASSERT_TRUE(first.OpenSharedSegment(created));
    EXPECT_TRUE(created);
    EXPECT_EQ(first.MutexName(), name + "Mutex");
    std::memcpy(first.SegmentView(), "hello", 6);

    CTrellisFramework second;
    second.SetAllocationGranularity(65536);
    second.SetSegment(name, 4097);
    ASSERT_TRUE(second.OpenSharedSegment(created));
    EXPECT_FALSE(created);
    EXPECT_STREQ(static_cast<const char*>(second.SegmentView()), "hello");
    // The whole rounded size is mapped.
    static_cast<char*>(second.SegmentView())[65535] = 'x';

    EXPECT_NE(second.CloseSharedSegment(), 0);
    EXPECT_FALSE(second.IsSegmentOpen());
    EXPECT_NE(first.CloseSharedSegment(), 0);
    EXPECT_EQ(first.SegmentView(), nullptr);
}

TEST(SharedSegment, CloseWithoutOpenSucceeds) {
    CTrellisFramework framework;
    EXPECT_EQ(framework.CloseSharedSegment(), 1);
}

TEST(HostFramework, PanesAreRegisteredAndRevoked) {
    CTrellisFramework framework;
    int reserved = -1;
    ASSERT_EQ(framework.OpenFramework(0, &reserved), S_OK);
    EXPECT_TRUE(framework.IsSegmentOpen());
    const std::string pane = "0123456789abcdef0123456789abcdef";
    EXPECT_EQ(framework.RegisterPane(getpid(), pane, "TrellisPane", 0, 256, 0, 0), S_OK);
    EXPECT_EQ(framework.RevokePane(pane), S_OK);
    EXPECT_EQ(framework.RevokePane(pane), S_FALSE);
    EXPECT_EQ(framework.RegisterPane(getpid(), "", "TrellisPane", 0, 256, 0, 0), E_INVALIDARG);
}

TEST(HostFramework, RegisteringWithoutTheFrameworkFails) {
    CTrellisFramework framework;
    EXPECT_TRUE(FAILED(framework.RegisterPane(getpid(), "pane", "TrellisPane", 0, 256, 0, 0)));
}

TEST(HostFramework, ModalDialogsAreBracketed) {
    CTrellisFramework framework;
    EXPECT_EQ(framework.DlgDoModalEnd(), S_FALSE);
    EXPECT_EQ(framework.DlgDoModalBegin("pane"), S_OK);
    EXPECT_EQ(framework.ModalDepth(), 1);
    EXPECT_EQ(framework.DlgDoModalEnd(), S_OK);
    EXPECT_EQ(framework.ModalDepth(), 0);
}
