#pragma once

// Waiting a number of milliseconds.

#include <cstdint>

// Waits ms milliseconds. With pump the pending window events are handled meanwhile (so buttons
// and timers keep working); without it nothing is handled until the time is up. Never raises.
void Wait(int32_t ms, bool pump);
