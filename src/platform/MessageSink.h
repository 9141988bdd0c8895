#pragma once
// The native message sink's entry point for PostWindowMessage.

#include "platform/WindowMessages.h"

namespace nodrix::platform::detail {

void RecordPostedMessage(const PostedMessage& message);

}  // namespace nodrix::platform::detail
