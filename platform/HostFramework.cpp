#include "HostFramework.h"

#include <fmt/format.h>

#include <semaphore.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

// The pane table the framework keeps at the start of its segment.
struct PaneRecord {
    std::int64_t processId;
    char paneId[48];
    char paneName[32];
};

struct PaneTable {
    static constexpr std::uint32_t kMagic = 0x54504E31; // "TPN1"
    static constexpr int kCapacity = 16;
    std::uint32_t magic;
    std::uint32_t count;
    PaneRecord panes[kCapacity];
};

std::string& chosenSegmentName() {
    static std::string name;
    return name;
}

void copyText(char* target, std::size_t capacity, const std::string& text) {
    const std::size_t n = std::min(capacity - 1, text.size());
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

} // namespace

CCorvane::CCorvane() {
    const long page = sysconf(_SC_PAGESIZE);
    m_granularity = page > 0 ? static_cast<std::size_t>(page) : 4096;
}

CCorvane::~CCorvane() = default;

std::string CCorvane::PosixObjectName(const std::string& name) {
    std::string result = name;
    std::replace(result.begin(), result.end(), '/', '_');
    return "/" + result;
}

std::size_t CCorvane::RoundToGranularity(std::size_t size, std::size_t granularity) {
    if (granularity == 0)
        return size;
    return (size / granularity) * granularity + granularity;
}

void CCorvane::SetFrameworkSegmentName(const std::string& name) {
    chosenSegmentName() = name;
}

std::string CCorvane::FrameworkSegmentName() {
    const std::string& chosen = chosenSegmentName();
    return chosen.empty() ? "trellis-framework-" + std::to_string(getuid()) : chosen;
}

void CCorvane::SetSegment(const std::string& name, std::size_t size, const std::string& mutexName) {
    m_segmentName = name;
    m_segmentSize = size;
    m_mutexName = mutexName;
}

HRESULT CCorvane::OpenFramework(int, int* reserved) {
    if (reserved)
        *reserved = 0;
    if (m_open)
        return S_OK;
    SetSegment(FrameworkSegmentName(), sizeof(PaneTable));
    bool created = false;
    if (!OpenSharedSegment(created))
        return E_FAIL;
    if (!lockSegment())
        return E_FAIL;
    auto* table = static_cast<PaneTable*>(m_view);
    if (table->magic != PaneTable::kMagic) {
        std::memset(table, 0, sizeof(PaneTable));
        table->magic = PaneTable::kMagic;
    }
    unlockSegment();
    return S_OK;
}

HRESULT CCorvane::RegisterPane(long processId, const std::string& paneId,
                               const std::string& paneName, unsigned, unsigned, long, quintptr) {
    if (!m_open)
        return E_FAIL;
    if (paneId.empty())
        return E_INVALIDARG;
    if (!lockSegment())
        return E_FAIL;
    auto* table = static_cast<PaneTable*>(m_view);
    // Panes of processes that ended without revoking them are dropped first.
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(table->count, PaneTable::kCapacity);) {
        const auto pid = static_cast<pid_t>(table->panes[i].processId);
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH)
            table->panes[i] = table->panes[--table->count];
        else
            ++i;
    }
    HRESULT result = E_OUTOFMEMORY;
    if (table->count < PaneTable::kCapacity) {
        PaneRecord& record = table->panes[table->count++];
        record.processId = processId;
        copyText(record.paneId, sizeof record.paneId, paneId);
        copyText(record.paneName, sizeof record.paneName, paneName);
        result = S_OK;
    }
    unlockSegment();
    return result;
}

HRESULT CCorvane::RevokePane(const std::string& paneId) {
    if (!m_open)
        return S_FALSE;
    if (!lockSegment())
        return E_FAIL;
    auto* table = static_cast<PaneTable*>(m_view);
    HRESULT result = S_FALSE;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(table->count, PaneTable::kCapacity);
         ++i) {
        if (paneId == table->panes[i].paneId) {
            table->panes[i] = table->panes[--table->count];
            result = S_OK;
            break;
        }
    }
    unlockSegment();
    return result;
}

HRESULT CCorvane::DlgDoModalBegin(const std::string& paneId) {
    m_modalPane = paneId;
    ++m_modalDepth;
    return S_OK;
}

HRESULT CCorvane::DlgDoModalEnd() {
    if (m_modalDepth == 0)
        return S_FALSE;
    if (--m_modalDepth == 0)
        m_modalPane.clear();
    return S_OK;
}

bool CCorvane::acquireMutex() {
    auto* mutex = static_cast<sem_t*>(m_mutex);
    if (!mutex)
        return false;
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(m_lockTimeout).count();
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(wait / 1000000000);
    deadline.tv_nsec += static_cast<long>(wait % 1000000000);
    if (deadline.tv_nsec >= 1000000000) {
        ++deadline.tv_sec;
        deadline.tv_nsec -= 1000000000;
    }
    while (sem_timedwait(mutex, &deadline) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == ETIMEDOUT) {
            // A process killed while holding the lock never releases it.
            fmt::print(stderr,
                       "trellis: the host framework lock {} was not released within {} ms; its "
                       "holder has probably ended: taking the lock over\n",
                       m_mutexName, m_lockTimeout.count());
            return true;
        }
        fmt::print(stderr, "trellis: cannot take the host framework lock {}: {}\n", m_mutexName,
                   std::strerror(errno));
        return false;
    }
    return true;
}

bool CCorvane::lockSegment() {
    return m_open && acquireMutex();
}

void CCorvane::unlockSegment() {
    auto* mutex = static_cast<sem_t*>(m_mutex);
    if (!mutex)
        return;
    // After a takeover from a holder that was only slow, both would release the lock: it never
    // counts above one, or it would let two holders in from then on.
    int value = 0;
    if (sem_getvalue(mutex, &value) == 0 && value > 0)
        return;
    sem_post(mutex);
}
