// A slim reader-writer lock held for a scope. SRWLOCK needs no creation and no
// destruction, so a lock at namespace scope costs a DLL nothing at load or unload and
// leaves no handle behind (a std::mutex of the threads runtime does).
#pragma once

#include "win32.h"

namespace CustomPipes {

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

class SharedLock {
public:
    explicit SharedLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockShared(&lock_); }
    ~SharedLock() { ::ReleaseSRWLockShared(&lock_); }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace CustomPipes
