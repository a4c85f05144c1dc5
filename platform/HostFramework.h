#pragma once
// The touch screen's host framework: attaching to it, registering this program's pane and
// bracketing modal dialogs. Panes find each other through a shared segment; the program
// derives its framework object from this class and supplies the two hooks that open and
// close that segment, on the state kept here.

#include "HResult.h"

#include <QtGlobal>

#include <chrono>
#include <cstddef>
#include <string>

using BOOL = int;

class CCorvane {
public:
    CCorvane();
    virtual ~CCorvane();
    CCorvane(const CCorvane&) = delete;
    CCorvane& operator=(const CCorvane&) = delete;

    // Attaches to the framework and opens its shared segment, named FrameworkSegmentName().
    HRESULT OpenFramework(int flags, int* reserved);
    // Records the pane in the shared segment so that other panes can find it.
    HRESULT RegisterPane(long processId, const std::string& paneId, const std::string& paneName,
                         unsigned style, unsigned order, long reserved, quintptr window);
    HRESULT RevokePane(const std::string& paneId);
    HRESULT DlgDoModalBegin(const std::string& paneId);
    HRESULT DlgDoModalEnd();

    // Shared-segment hooks, called by the framework itself. created tells whether this
    // call made the segment; the result whether the segment is usable.
    virtual bool OpenSharedSegment(bool& created) = 0;
    virtual BOOL CloseSharedSegment() = 0;

    // Segment parameters; the framework sets them before opening the segment.
    void SetSegment(const std::string& name, std::size_t size,
                    const std::string& mutexName = std::string());
    void SetAllocationGranularity(std::size_t granularity) { m_granularity = granularity; }
    std::size_t AllocationGranularity() const { return m_granularity; }

    std::size_t SegmentSize() const { return m_segmentSize; }
    const std::string& SegmentName() const { return m_segmentName; }
    const std::string& MutexName() const { return m_mutexName; }
    bool IsSegmentOpen() const { return m_open; }
    void* SegmentView() const { return m_view; }
    int ModalDepth() const { return m_modalDepth; }

    // The name of the framework's segment: "trellis-framework-<uid>", shared by every instance
    // of this user, unless SetFrameworkSegmentName chose another (tests do, so as not to touch
    // the segment of a running utility). An empty name restores the default.
    static void SetFrameworkSegmentName(const std::string& name);
    static std::string FrameworkSegmentName();

    // How long taking the segment's lock waits before it is taken over from a holder that
    // presumably ended without releasing it.
    void SetLockTimeout(std::chrono::milliseconds timeout) { m_lockTimeout = timeout; }
    std::chrono::milliseconds LockTimeout() const { return m_lockTimeout; }

    // The size a segment of the given size occupies: always raised to the next whole
    // granule, even when it already is a multiple.
    static std::size_t RoundToGranularity(std::size_t size, std::size_t granularity);

protected:
    // POSIX object names start with one slash and hold no other.
    static std::string PosixObjectName(const std::string& name);

    // Takes the named semaphore m_mutex, waiting at most LockTimeout(); then takes it over,
    // saying so on standard error. False only when the semaphore cannot be waited on.
    bool acquireMutex();
    bool lockSegment();
    void unlockSegment();

    std::size_t m_segmentSize = 0;
    std::string m_segmentName;
    std::string m_mutexName;
    void* m_mutex = nullptr; // sem_t*
    int m_mapping = -1;      // shared memory file descriptor
    void* m_view = nullptr;
    std::size_t m_viewSize = 0;
    bool m_open = false;
    bool m_created = false;
    unsigned m_permissions = 0600; // security attributes of both objects
    std::size_t m_granularity;
    std::chrono::milliseconds m_lockTimeout{2000};

private:
    int m_modalDepth = 0;
    std::string m_modalPane;
};
