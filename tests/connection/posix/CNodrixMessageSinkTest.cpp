// The error stack's messages as the native message sink receives them (the
// Windows build checks them with a real window in the export tests).
#include <gtest/gtest.h>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "platform/WindowMessages.h"

namespace nodrix {
namespace {

constexpr platform::WindowHandle kRecipient = 0x7A000;

TEST(CNodrixErrors, PushPostsToTheRecipientAndPostOnlyRecordsNothing) {
    platform::message_sink::Drain(kRecipient);
    CNodrix c{api::ActiveDriverPort()};
    ASSERT_EQ(c.Initialize(kRecipient), 1);
    EXPECT_EQ(c.Recipient(), kRecipient);
    // No camera is attached here: the connection said so.
    auto missing = platform::message_sink::WaitFor(kRecipient, 2000);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->lParam, 2);
    EXPECT_EQ(c.Errors().PopError(), 2);
    c.Errors().PushError(7);
    c.Errors().PostError(13);
    auto first = platform::message_sink::WaitFor(kRecipient, 2000);
    auto second = platform::message_sink::WaitFor(kRecipient, 2000);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->message, 0x8003u);
    EXPECT_EQ(first->wParam, 0u);
    EXPECT_EQ(first->lParam, 7);
    EXPECT_EQ(second->lParam, 13);
    EXPECT_EQ(c.Errors().PopError(), 7);
    EXPECT_EQ(c.Errors().PopError(), 0);
}

TEST(CNodrixErrors, WithoutRecipientNothingIsPosted) {
    platform::message_sink::Clear();
    CNodrix c{api::ActiveDriverPort()};
    c.Errors().PushError(5);
    EXPECT_FALSE(platform::message_sink::WaitFor(0, 50).has_value());
    EXPECT_EQ(c.Errors().PopError(), 5);
}

}  // namespace
}  // namespace nodrix
