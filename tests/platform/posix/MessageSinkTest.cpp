#include <gtest/gtest.h>

#include <thread>

#include "platform/WindowMessages.h"

namespace nodrix::platform {
namespace {

class MessageSinkTest : public ::testing::Test {
protected:
    void SetUp() override { message_sink::Clear(); }
    void TearDown() override { message_sink::Clear(); }
};

TEST_F(MessageSinkTest, MessagesArriveInOrderPerWindow) {
    EXPECT_TRUE(PostWindowMessage(0x10, 0x8002, 1, 100));
    EXPECT_TRUE(PostWindowMessage(0x20, 0x8003, 2, 7));
    EXPECT_TRUE(PostWindowMessage(0x10, 0x8002, 3, -1));

    auto first = message_sink::WaitFor(0x10, 1000);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message, 0x8002u);
    EXPECT_EQ(first->wParam, 1u);
    EXPECT_EQ(first->lParam, 100);

    const auto rest = message_sink::Drain(0x10);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].wParam, 3u);
    EXPECT_EQ(rest[0].lParam, -1);
    EXPECT_FALSE(message_sink::WaitFor(0x10, 0).has_value());

    const auto other = message_sink::Drain(0x20);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].message, 0x8003u);
}

TEST_F(MessageSinkTest, UnreadMessagesAreBoundedOldestDropped) {
    const std::size_t posted = message_sink::kCapacity + 100;
    for (std::size_t i = 0; i < posted; ++i) PostWindowMessage(0x40, 0x8002, i, 0);
    EXPECT_EQ(message_sink::Size(), message_sink::kCapacity);
    const auto oldest = message_sink::WaitFor(0x40, 0);
    ASSERT_TRUE(oldest.has_value());
    EXPECT_EQ(oldest->wParam, 100u);
}

TEST_F(MessageSinkTest, WindowZeroIsRefused) {
    EXPECT_FALSE(PostWindowMessage(0, 0x8002, 0, 0));
    EXPECT_FALSE(IsWindowAlive(0));
    EXPECT_TRUE(IsWindowAlive(0x10));
}

TEST_F(MessageSinkTest, WaitForWakesOnAMessageFromAnotherThread) {
    std::thread poster([] { PostWindowMessage(0x30, 0x8003, 0, 5); });
    const auto message = message_sink::WaitFor(0x30, 60000);
    poster.join();
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->lParam, 5);
}

TEST_F(MessageSinkTest, WaitForTimesOutAndClearEmpties) {
    EXPECT_FALSE(message_sink::WaitFor(0x40, 20).has_value());
    PostWindowMessage(0x40, 1, 0, 0);
    message_sink::Clear();
    EXPECT_TRUE(message_sink::Drain(0x40).empty());
}

}  // namespace
}  // namespace nodrix::platform
