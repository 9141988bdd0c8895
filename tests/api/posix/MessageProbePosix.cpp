#include <atomic>

#include "api/MessageProbe.h"
#include "platform/WindowMessages.h"

namespace nodrix::test {

namespace {
class SinkProbe : public MessageProbe {
public:
    SinkProbe() : window_(NextWindow()) { platform::message_sink::Drain(window_); }
    ~SinkProbe() override { platform::message_sink::Drain(window_); }

    NodrixHwnd Window() const override { return static_cast<NodrixHwnd>(window_); }

    std::optional<ProbedMessage> Next(std::uint32_t timeoutMs) override {
        auto posted = platform::message_sink::WaitFor(window_, timeoutMs);
        if (!posted) return std::nullopt;
        return ProbedMessage{posted->message, posted->wParam, posted->lParam};
    }

    void Clear() override { platform::message_sink::Drain(window_); }

private:
    static platform::WindowHandle NextWindow() {
        static std::atomic<platform::WindowHandle> next{0x51000};
        return next.fetch_add(0x10);
    }
    platform::WindowHandle window_;
};
}  // namespace

std::unique_ptr<MessageProbe> MakeMessageProbe() { return std::make_unique<SinkProbe>(); }

}  // namespace nodrix::test
