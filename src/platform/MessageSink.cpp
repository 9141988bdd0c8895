#include "platform/MessageSink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace nodrix::platform {
namespace {

// Every posted message in posting order; waiters pick theirs by window.
struct Sink {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<PostedMessage> messages;
};

Sink& TheSink() {
    static Sink sink;
    return sink;
}

}  // namespace

namespace detail {

void RecordPostedMessage(const PostedMessage& message) {
    Sink& sink = TheSink();
    {
        std::lock_guard<std::mutex> guard(sink.mutex);
        if (sink.messages.size() >= message_sink::kCapacity) sink.messages.pop_front();
        sink.messages.push_back(message);
    }
    sink.posted.notify_all();
}

}  // namespace detail

namespace message_sink {

std::optional<PostedMessage> WaitFor(WindowHandle window, std::uint32_t timeoutMs) {
    Sink& sink = TheSink();
    std::unique_lock<std::mutex> lock(sink.mutex);
    std::optional<PostedMessage> found;
    const auto take = [&] {
        for (auto it = sink.messages.begin(); it != sink.messages.end(); ++it) {
            if (it->window == window) {
                found = *it;
                sink.messages.erase(it);
                return true;
            }
        }
        return false;
    };
    sink.posted.wait_for(lock, std::chrono::milliseconds(timeoutMs), take);
    return found;
}

std::vector<PostedMessage> Drain(WindowHandle window) {
    Sink& sink = TheSink();
    std::lock_guard<std::mutex> guard(sink.mutex);
    std::vector<PostedMessage> result;
    std::deque<PostedMessage> kept;
    for (const PostedMessage& message : sink.messages) {
        if (message.window == window) {
            result.push_back(message);
        } else {
            kept.push_back(message);
        }
    }
    sink.messages.swap(kept);
    return result;
}

std::size_t Size() {
    Sink& sink = TheSink();
    std::lock_guard<std::mutex> guard(sink.mutex);
    return sink.messages.size();
}

void Clear() {
    Sink& sink = TheSink();
    std::lock_guard<std::mutex> guard(sink.mutex);
    sink.messages.clear();
}

}  // namespace message_sink
}  // namespace nodrix::platform
