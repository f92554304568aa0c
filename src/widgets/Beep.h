#pragma once

#include <functional>

namespace widgets {

// The system's default beep, sounded for refused input. Every beep of the
// spin field goes through Beep(), so a test can count them by installing a
// hook in place of the real sound.
using BeepHook = std::function<void()>;

void Beep();

// Replaces the sound with `hook`; an empty hook restores the system beep.
void SetBeepHook(BeepHook hook);

} // namespace widgets
