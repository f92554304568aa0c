#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace transport {

class TIdStack;

// The process-wide socket stack and the registration of its users. The first
// registered component creates SharedStack, the last one destroys it; the
// platform socket service, once started, stays started (StackStarted).

// Creates the stack the registration builds; TIdStackPosix by default.
using StackFactory = std::unique_ptr<TIdStack> (*)();

// Null while no component lives.
TIdStack* SharedStack();
std::int32_t StackUserCount();
// Guards StackUserCount and the creation and destruction of SharedStack.
std::mutex& StackLock();
bool StackStarted();
// Set by the stack whose start-up succeeded; never cleared.
void MarkStackStarted();

StackFactory StackClass();
// Test seam: the next stack created comes from this factory; pass nullptr to
// return to the default.
void SetStackClass(StackFactory factory);

// Run by TIdComponent's constructor and destructor. When creating the stack
// raises, the count is restored and the exception passes on.
void RegisterStackUser();
void UnregisterStackUser();

} // namespace transport
