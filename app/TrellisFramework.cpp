#include "TrellisFramework.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

    // Create (or open) the mutex, taking it as its creator would with initial ownership.
    sem_t* mutex = sem_open(PosixObjectName(m_mutexName).c_str(), O_CREAT, m_permissions, 1);
    if (mutex == SEM_FAILED)
        return false;
    m_mutex = mutex;
    while (sem_wait(mutex) != 0 && errno == EINTR) {
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
    }
    m_open = m_view != nullptr;
    sem_post(mutex);
    return m_open;
}

BOOL CTrellisFramework::CloseSharedSegment() {
    BOOL result = 0;
    if (m_view) {
        result |= munmap(m_view, m_viewSize) == 0 ? 1 : 0;
        m_view = nullptr;
        m_viewSize = 0;
    } else {
        result |= 1;
    }
    if (m_mapping >= 0) {
        result |= close(m_mapping) == 0 ? 1 : 0;
        m_mapping = -1;
        // Named objects go away with their creator; processes that still map the segment
        // keep it until they close it.
        if (m_created) {
            shm_unlink(PosixObjectName(m_segmentName).c_str());
            sem_unlink(PosixObjectName(m_mutexName).c_str());
        }
    }
    if (m_mutex) {
        result |= sem_close(static_cast<sem_t*>(m_mutex)) == 0 ? 1 : 0;
        m_mutex = nullptr;
    }
    m_open = false;
    m_created = false;
    return result;
}
