#pragma once
// A circular doubly linked ring of entries with a movable current node.
// Lookups walk from the current node and leave it where they stopped, so
// the entry found last is the one a following removal takes out without a
// second search. Every operation holds the ring's lock for its whole run.

#include <cstdint>
#include <new>

#include "platform/RecursiveLock.h"

namespace nodrix {

// T needs a field `handle` that names the entry.
template <typename T>
class CTRing {
public:
    struct Node {
        T data;
        Node* prev;
        Node* next;
    };

    CTRing() = default;
    virtual ~CTRing() { Clear(); }
    CTRing(const CTRing&) = delete;
    CTRing& operator=(const CTRing&) = delete;

    // Links a copy of entry in just before the current node and makes it
    // the current node. False when the node cannot be allocated.
    virtual bool Add(const T& entry) {
        platform::LockGuard guard(lock_);
        Node* node = new (std::nothrow) Node{entry, nullptr, nullptr};
        if (node == nullptr) return false;
        if (head_ == nullptr) {
            node->prev = node;
            node->next = node;
        } else {
            node->prev = head_->prev;
            node->next = head_;
            head_->prev->next = node;
            head_->prev = node;
        }
        head_ = node;
        ++count_;
        return true;
    }

    // Walks to the entry with this handle; it becomes the current node.
    // Null when absent (the current node then rests on the former last one).
    Node* Find(std::int32_t handle) {
        platform::LockGuard guard(lock_);
        return Walk(handle);
    }

    // Runs fn(node) under the ring's lock on the node with this handle (or
    // on null), so that reading or changing the node cannot race a removal.
    template <typename Fn>
    auto WithNode(std::int32_t handle, Fn&& fn) {
        platform::LockGuard guard(lock_);
        return fn(Walk(handle));
    }

    // Unlinks and frees the entry with this handle. False when absent.
    bool Remove(std::int32_t handle) {
        platform::LockGuard guard(lock_);
        if (Walk(handle) == nullptr) return false;
        RemoveCurrent();
        return true;
    }

    // Frees every node. The entries' own resources are not touched.
    void Clear() {
        platform::LockGuard guard(lock_);
        while (head_ != nullptr) RemoveCurrent();
    }

    std::uint32_t Count() const {
        platform::LockGuard guard(lock_);
        return count_;
    }

    // Whether an entry with this handle exists, without moving the current
    // node.
    bool Contains(std::int32_t handle) const {
        platform::LockGuard guard(lock_);
        const Node* node = head_;
        for (std::uint32_t i = 0; i < count_; ++i, node = node->next) {
            if (node->data.handle == handle) return true;
        }
        return false;
    }

    // The current node's handle (tests look at where the walk stopped).
    bool CurrentHandle(std::int32_t* handle) const {
        platform::LockGuard guard(lock_);
        if (head_ == nullptr) return false;
        *handle = head_->data.handle;
        return true;
    }

protected:
    platform::RecursiveLock& Lock() const { return lock_; }

private:
    // The lookup walk: note the last node's handle, then step from the
    // current node until the handle matches or the last node was looked at.
    Node* Walk(std::int32_t handle) {
        if (head_ == nullptr) return nullptr;
        const std::int32_t last = head_->prev->data.handle;
        for (;;) {
            if (head_->data.handle == handle) return head_;
            if (head_->data.handle == last) return nullptr;
            head_ = head_->next;
        }
    }

    void RemoveCurrent() {
        Node* node = head_;
        if (node->next == node) {
            head_ = nullptr;
            count_ = 0;
        } else {
            --count_;
            node->prev->next = node->next;
            node->next->prev = node->prev;
            head_ = node->next;
        }
        delete node;
    }

    mutable platform::RecursiveLock lock_;
    Node* head_ = nullptr;
    std::uint32_t count_ = 0;
};

}  // namespace nodrix
