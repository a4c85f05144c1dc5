#include "TrellisFramework.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// How often a start retries when the semaphore it opened lost its name meanwhile.
constexpr int kOpenAttempts = 3;

// Whether the name still leads to this semaphore. The last instance to leave removes the
// name; a start that opened the semaphore just before must not go on under a lock that later
// starts cannot see. sem_open hands back the address of a semaphore this process already has
// open, so the same address means the same semaphore.
bool stillNamed(const std::string& name, sem_t* semaphore) {
    sem_t* current = sem_open(name.c_str(), 0);
    if (current == SEM_FAILED)
        return false;
    const bool same = current == semaphore;
    sem_close(current);
    return same;
}

// Every open instance holds a shared lock on the segment's file; the one that can make its
// lock exclusive is the last. These locks belong to the open file, so two instances in one
// process count apart, and they go away with a process that ends without closing.
bool lockFile(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

} // namespace

CTrellisFramework::~CTrellisFramework() {
    if (m_open || m_mutex || m_mapping >= 0)
        CloseSharedSegment();
}

bool CTrellisFramework::OpenSharedSegment(bool& created) {
    created = false;
    if (m_segmentSize == 0 || m_segmentName.empty())
        return false;
    if (m_mutexName.empty())
        m_mutexName = m_segmentName + "Mutex";

    // Create (or open) the mutex and take it while the segment is opened.
    const std::string mutexName = PosixObjectName(m_mutexName);
    for (int attempt = 1;; ++attempt) {
        sem_t* mutex = sem_open(mutexName.c_str(), O_CREAT, m_permissions, 1);
        if (mutex == SEM_FAILED) {
            fmt::print(stderr, "trellis: cannot open the host framework lock {}: {}\n", m_mutexName,
                       std::strerror(errno));
            return false;
        }
        m_mutex = mutex;
        if (!acquireMutex()) {
            sem_close(mutex);
            m_mutex = nullptr;
            return false;
        }
        if (stillNamed(mutexName, mutex))
            break;
        if (attempt == kOpenAttempts) {
            fmt::print(stderr,
                       "trellis: the host framework lock {} keeps being removed; going on with "
                       "the last one opened\n",
                       m_mutexName);
            break;
        }
        unlockSegment();
        sem_close(mutex);
        m_mutex = nullptr;
    }

    const std::size_t size = RoundToGranularity(m_segmentSize, m_granularity);
    const std::string name = PosixObjectName(m_segmentName);
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, m_permissions);
    const bool madeHere = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = shm_open(name.c_str(), O_RDWR, m_permissions);
    if (fd >= 0) {
        struct stat info {};
        const bool sized = fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) >= size;
        if (sized || ftruncate(fd, static_cast<off_t>(size)) == 0) {
            m_mapping = fd;
            created = madeHere;
            m_created = madeHere;
        } else {
            close(fd);
            if (madeHere)
                shm_unlink(name.c_str());
        }
    }
    if (m_mapping >= 0) {
        void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_mapping, 0);
        if (view != MAP_FAILED) {
            m_view = view;
            m_viewSize = size;
            if (created)
                std::memset(m_view, 0, size);
        }
        if (!lockFile(m_mapping, F_RDLCK))
            fmt::print(stderr,
                       "trellis: cannot mark the host framework segment {} as in use ({}); it "
                       "will be kept when this instance closes\n",
                       m_segmentName, std::strerror(errno));
    }
    m_open = m_view != nullptr;
    unlockSegment();
    return m_open;
}

BOOL CTrellisFramework::CloseSharedSegment() {
    BOOL result = 0;
    // The lock keeps a start from opening the segment while the last instance removes it.
    const bool locked = acquireMutex();
    bool last = false;
    if (m_view) {
        result |= munmap(m_view, m_viewSize) == 0 ? 1 : 0;
        m_view = nullptr;
        m_viewSize = 0;
    } else {
        result |= 1;
    }
    if (m_mapping >= 0) {
        // The named objects go away with the last instance that uses them.
        last = locked && lockFile(m_mapping, F_WRLCK);
        if (last)
            shm_unlink(PosixObjectName(m_segmentName).c_str());
        result |= close(m_mapping) == 0 ? 1 : 0;
        m_mapping = -1;
    }
    if (m_mutex) {
        if (last)
            sem_unlink(PosixObjectName(m_mutexName).c_str());
        if (locked)
            unlockSegment();
        result |= sem_close(static_cast<sem_t*>(m_mutex)) == 0 ? 1 : 0;
        m_mutex = nullptr;
    }
    m_open = false;
    m_created = false;
    return result;
}
