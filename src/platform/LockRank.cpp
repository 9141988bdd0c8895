#include "platform/LockRank.h"

#include <cstdio>
#include <cstdlib>

namespace nodrix::platform {

int LockRankRecord::Conflict(const void* lock, int rank) const {
    if (rank == kUnranked) return kUnranked;
    const std::size_t kept = Depth();
    for (std::size_t i = 0; i < kept; ++i) {
        if (entries_[i].lock == lock) return kUnranked;  // re-entered
    }
    int highest = kUnranked;
    for (std::size_t i = 0; i < kept; ++i) {
        if (entries_[i].rank >= rank && entries_[i].rank > highest) highest = entries_[i].rank;
    }
    return highest;
}

bool LockRankRecord::Allows(const void* lock, int rank) const {
    return Conflict(lock, rank) == kUnranked;
}

void LockRankRecord::Entered(const void* lock, int rank) {
    if (rank == kUnranked) return;
    if (depth_ < kCapacity) entries_[depth_] = Entry{lock, rank};
    ++depth_;
}

void LockRankRecord::Left(const void* lock) {
    if (depth_ == 0) return;
    if (depth_ > kCapacity) {
        --depth_;
        return;
    }
    for (std::size_t i = depth_; i-- > 0;) {
        if (entries_[i].lock != lock) continue;
        for (std::size_t j = i + 1; j < depth_; ++j) entries_[j - 1] = entries_[j];
        --depth_;
        return;
    }
}

#ifndef NDEBUG

namespace {
thread_local LockRankRecord tHeld;
}

void LockOrderEntering(const void* lock, int rank) {
    const int held = tHeld.Conflict(lock, rank);
    if (held == kUnranked) return;
    std::fprintf(stderr,
                 "lock order broken: a lock of rank %d taken while one of rank %d is held\n", rank,
                 held);
    std::abort();
}

void LockOrderEntered(const void* lock, int rank) {
    tHeld.Entered(lock, rank);
}

void LockOrderLeft(const void* lock, int rank) {
    if (rank != kUnranked) tHeld.Left(lock);
}

#endif

}  // namespace nodrix::platform
