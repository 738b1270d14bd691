#pragma once

// "Pump the message loop once" inside long operations.

namespace ui {

// One pass over the pending events.
void pumpMessages();

// The same, but at most about every 30 ms; cheap enough to call on every step of a hot loop.
void pumpMessagesThrottled();

}  // namespace ui
