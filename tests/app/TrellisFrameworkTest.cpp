#include "app/TrellisFramework.h"
#include "support/TestFrameworkSegment.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <thread>

using namespace std::chrono_literals;

namespace {

std::string uniqueName(const char* what) {
    return std::string("trellis-test-") + what + "-" + std::to_string(getpid());
}

// Where the system keeps a named shared memory object and a named semaphore.
bool segmentExists(const std::string& name) {
    return std::filesystem::exists("/dev/shm/" + name);
}
bool semaphoreExists(const std::string& name) {
    return std::filesystem::exists("/dev/shm/sem." + name);
}

// Runs the step in a child process and kills that process, as a crash would, once the step is
// done. Returns whether the step succeeded.
bool killedAfter(const std::function<bool()>& step) {
    int ready[2];
    if (pipe(ready) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        const char done = step() ? 'y' : 'n';
        if (write(ready[1], &done, 1) == 1)
            pause();
        _exit(1);
    }
    // With its own end closed, the read ends when the child does, whether it wrote or not.
    close(ready[1]);
    char done = 0;
    const bool reported = child > 0 && read(ready[0], &done, 1) == 1;
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    close(ready[0]);
    return reported && done == 'y';
}

// Leaves the named semaphore taken by a process that was killed while holding it.
void abandonLock(const std::string& mutexName) {
    sem_t* lock = sem_open(("/" + mutexName).c_str(), 0);
    ASSERT_NE(lock, SEM_FAILED);
    EXPECT_TRUE(killedAfter([lock] { return sem_wait(lock) == 0; }));
    int value = -1;
    EXPECT_EQ(sem_getvalue(lock, &value), 0);
    EXPECT_EQ(value, 0) << "the killed process should have left the lock taken";
    sem_close(lock);
}

// The call's result if it returns within the limit. Otherwise the lock is released so that
// the call can end, and there is no result.
std::optional<HRESULT> withinLimit(std::chrono::seconds limit, const std::string& mutexName,
                                   const std::function<HRESULT()>& call) {
    std::packaged_task<HRESULT()> task(call);
    std::future<HRESULT> result = task.get_future();
    std::thread caller(std::move(task));
    const bool returned = result.wait_for(limit) == std::future_status::ready;
    if (!returned) {
        sem_t* lock = sem_open(("/" + mutexName).c_str(), 0);
        if (lock != SEM_FAILED) {
            sem_post(lock);
            sem_close(lock);
        }
    }
    caller.join();
    if (!returned)
        return std::nullopt;
    return result.get();
}

class HostFramework : public ::testing::Test {
protected:
    void SetUp() override { segment = useTestFrameworkSegment(); }

    std::string segment;
};

} // namespace

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

TEST_F(HostFramework, PanesAreRegisteredAndRevoked) {
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

TEST_F(HostFramework, RegisteringWithoutTheFrameworkFails) {
    CTrellisFramework framework;
    EXPECT_TRUE(FAILED(framework.RegisterPane(getpid(), "pane", "TrellisPane", 0, 256, 0, 0)));
}

TEST_F(HostFramework, ModalDialogsAreBracketed) {
    CTrellisFramework framework;
    EXPECT_EQ(framework.DlgDoModalEnd(), S_FALSE);
    EXPECT_EQ(framework.DlgDoModalBegin("pane"), S_OK);
    EXPECT_EQ(framework.ModalDepth(), 1);
    EXPECT_EQ(framework.DlgDoModalEnd(), S_OK);
    EXPECT_EQ(framework.ModalDepth(), 0);
}

TEST_F(HostFramework, ALockLeftByAKilledProcessIsTakenOver) {
    CTrellisFramework first;
    first.SetLockTimeout(300ms);
    ASSERT_EQ(first.OpenFramework(0, nullptr), S_OK);
    abandonLock(first.MutexName());

    // Registering waits for the time limit, then goes on and says why.
    ::testing::internal::CaptureStderr();
    const auto started = std::chrono::steady_clock::now();
    const auto registered = withinLimit(10s, first.MutexName(), [&] {
        return first.RegisterPane(getpid(), "first-pane", "TrellisPane", 0, 256, 0, 0);
    });
    const auto waited = std::chrono::steady_clock::now() - started;
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(registered.has_value()) << "RegisterPane waits for ever on an abandoned lock";
    EXPECT_EQ(*registered, S_OK);
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 2s);
    EXPECT_NE(said.find("taking the lock over"), std::string::npos) << said;

    // The lock was released after use: the next operation does not wait.
    const auto again = std::chrono::steady_clock::now();
    EXPECT_EQ(first.RevokePane("first-pane"), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - again, 300ms);

    // A start with the default time limit gets past an abandoned lock too.
    abandonLock(first.MutexName());
    CTrellisFramework second;
    const auto opened =
        withinLimit(10s, first.MutexName(), [&] { return second.OpenFramework(0, nullptr); });
    ASSERT_TRUE(opened.has_value()) << "OpenFramework waits for ever on an abandoned lock";
    EXPECT_EQ(*opened, S_OK);
    EXPECT_EQ(second.RegisterPane(getpid(), "second-pane", "TrellisPane", 0, 256, 0, 0), S_OK);
    EXPECT_EQ(first.RevokePane("second-pane"), S_OK);
}

TEST_F(HostFramework, TheSegmentStaysWhileAnyInstanceHasItOpen) {
    const std::string mutex = segment + "Mutex";
    auto creator = std::make_unique<CTrellisFramework>();
    ASSERT_EQ(creator->OpenFramework(0, nullptr), S_OK);
    CTrellisFramework second;
    ASSERT_EQ(second.OpenFramework(0, nullptr), S_OK);
    ASSERT_EQ(second.RegisterPane(getpid(), "second-pane", "TrellisPane", 0, 256, 0, 0), S_OK);

    // The creator leaves first; a later start still finds the second's pane.
    EXPECT_NE(creator->CloseSharedSegment(), 0);
    creator.reset();
    EXPECT_TRUE(segmentExists(segment));
    EXPECT_TRUE(semaphoreExists(mutex));
    CTrellisFramework third;
    ASSERT_EQ(third.OpenFramework(0, nullptr), S_OK);
    EXPECT_EQ(third.RevokePane("second-pane"), S_OK);

    EXPECT_NE(second.CloseSharedSegment(), 0);
    EXPECT_TRUE(segmentExists(segment));
    // The last to leave removes both.
    EXPECT_NE(third.CloseSharedSegment(), 0);
    EXPECT_FALSE(segmentExists(segment));
    EXPECT_FALSE(semaphoreExists(mutex));
}

TEST_F(HostFramework, AnInstanceKilledWithTheSegmentOpenDoesNotKeepIt) {
    // The framework stays open: its process is killed with it.
    ASSERT_TRUE(
        killedAfter([] { return (new CTrellisFramework)->OpenFramework(0, nullptr) == S_OK; }));
    ASSERT_TRUE(segmentExists(segment));

    CTrellisFramework framework;
    ASSERT_EQ(framework.OpenFramework(0, nullptr), S_OK);
    EXPECT_NE(framework.CloseSharedSegment(), 0);
    EXPECT_FALSE(segmentExists(segment));
    EXPECT_FALSE(semaphoreExists(segment + "Mutex"));
}

TEST(SharedSegment, AStartWhoseLockLostItsNameMeanwhileTakesTheNamedOne) {
    const std::string name = uniqueName("renamed");
    const std::string mutexName = "/" + name + "Mutex";
    // The last instance holds the lock while it leaves.
    sem_t* leaving = sem_open(mutexName.c_str(), O_CREAT, 0600, 1);
    ASSERT_NE(leaving, SEM_FAILED);
    ASSERT_EQ(sem_wait(leaving), 0);

    CTrellisFramework starter;
    starter.SetSegment(name, 100);
    starter.SetLockTimeout(10s);
    bool created = false;
    std::future<bool> opened =
        std::async(std::launch::async, [&] { return starter.OpenSharedSegment(created); });
    // The start has opened the semaphore and waits on it when the last instance removes it.
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(sem_unlink(mutexName.c_str()), 0);
    ASSERT_EQ(sem_post(leaving), 0);
    ASSERT_TRUE(opened.get());

    // The start holds the semaphore that now has the name, and released it.
    sem_t* named = sem_open(mutexName.c_str(), 0);
    ASSERT_NE(named, SEM_FAILED) << "the start went on under the removed semaphore";
    EXPECT_NE(named, leaving);
    int value = -1;
    EXPECT_EQ(sem_getvalue(named, &value), 0);
    EXPECT_EQ(value, 1);
    sem_close(named);
    sem_close(leaving);
    EXPECT_NE(starter.CloseSharedSegment(), 0);
    EXPECT_FALSE(semaphoreExists(name + "Mutex"));
    EXPECT_FALSE(segmentExists(name));
}

TEST(SharedSegment, TheFrameworkSegmentNameCanBeChosen) {
    const std::string name = uniqueName("chosen");
    CCorvane::SetFrameworkSegmentName(name);
    EXPECT_EQ(CCorvane::FrameworkSegmentName(), name);
    CTrellisFramework framework;
    ASSERT_EQ(framework.OpenFramework(0, nullptr), S_OK);
    EXPECT_EQ(framework.SegmentName(), name);
    EXPECT_TRUE(segmentExists(name));
    CCorvane::SetFrameworkSegmentName("");
    EXPECT_EQ(CCorvane::FrameworkSegmentName(), "trellis-framework-" + std::to_string(getuid()));
    useTestFrameworkSegment();
}
