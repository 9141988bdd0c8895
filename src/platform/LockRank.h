#pragma once
// The order in which one thread may take ranked locks: a lock of a rank may
// be taken only while every other ranked lock the thread holds has a lower
// rank (re-entering a lock already held is always allowed). A debug build
// keeps a record per thread of the ranked locks it holds and stops the
// program at the first lock taken out of order, so that a test run shows the
// order holds; a release build keeps no record.

#include <cstddef>

namespace nodrix::platform {

// Rank 0: a lock outside the order, never checked.
inline constexpr int kUnranked = 0;

// The ranked locks one thread holds, innermost last. Trivially destructible,
// so that it may live in thread-local storage on every system.
class LockRankRecord {
public:
    static constexpr std::size_t kCapacity = 32;

    // Whether taking the lock of the rank keeps the order: true for an
    // unranked lock, a lock already held, or a rank above every other held.
    bool Allows(const void* lock, int rank) const;
    // The rank of the held lock that forbids the lock, or kUnranked.
    int Conflict(const void* lock, int rank) const;
    // Notes the lock as taken (once more) and as let go; a lock let go is the
    // last entry of it, whatever the order of the releases.
    void Entered(const void* lock, int rank);
    void Left(const void* lock);
    std::size_t Depth() const { return depth_ < kCapacity ? depth_ : kCapacity; }

private:
    struct Entry {
        const void* lock;
        int rank;
    };
    Entry entries_[kCapacity];
    // May exceed the capacity: the entries above it are not kept and not
    // checked, only counted so that the releases match.
    std::size_t depth_ = 0;
};

#ifdef NDEBUG
inline constexpr bool kLockOrderChecked = false;
inline void LockOrderEntering(const void*, int) {}
inline void LockOrderEntered(const void*, int) {}
inline void LockOrderLeft(const void*, int) {}
#else
inline constexpr bool kLockOrderChecked = true;
// Before a blocking take: stops the program when the lock breaks the order.
void LockOrderEntering(const void* lock, int rank);
// After any successful take, and after the release.
void LockOrderEntered(const void* lock, int rank);
void LockOrderLeft(const void* lock, int rank);
#endif

}  // namespace nodrix::platform
