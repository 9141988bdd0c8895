#pragma once
// A first-in first-out queue of buffers with room for every announced
// buffer (a buffer is in one queue at most), so that the frame path moves
// pointers without allocating; the room grows only when a buffer is
// announced.

#include <cstddef>
#include <vector>

namespace nodrix::stream {

template <typename Buffer>
class BufferQueue {
public:
    // Room for capacity buffers, the queued ones kept in order. Throws
    // std::bad_alloc when the memory is not there; the queue is unchanged
    // then.
    void Reserve(std::size_t capacity) {
        if (capacity <= slots_.size()) return;
        std::vector<Buffer*> grown(capacity, nullptr);
        for (std::size_t i = 0; i < count_; ++i) grown[i] = slots_[(head_ + i) % slots_.size()];
        slots_.swap(grown);
        head_ = 0;
    }
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    Buffer* front() const { return slots_[head_]; }
    void push_back(Buffer* buffer) {
        slots_[(head_ + count_) % slots_.size()] = buffer;
        ++count_;
    }
    void push_front(Buffer* buffer) {
        head_ = (head_ + slots_.size() - 1) % slots_.size();
        slots_[head_] = buffer;
        ++count_;
    }
    void pop_front() {
        head_ = (head_ + 1) % slots_.size();
        --count_;
    }
    void clear() { head_ = count_ = 0; }

private:
    std::vector<Buffer*> slots_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace nodrix::stream
