#include "transport/StackRegistry.h"

#include "transport/TIdStackPosix.h"

#include <atomic>

namespace transport {

namespace {

std::unique_ptr<TIdStack> CreatePosixStack()
{
    return std::make_unique<TIdStackPosix>();
}

std::unique_ptr<TIdStack> sharedStack;
std::atomic<TIdStack*> sharedStackView{nullptr};
std::int32_t stackUserCount = 0;
std::atomic<bool> stackStarted{false};
std::atomic<StackFactory> stackClass{&CreatePosixStack};

} // namespace

TIdStack* SharedStack()
{
    return sharedStackView.load();
}

std::int32_t StackUserCount()
{
    std::lock_guard lock(StackLock());
    return stackUserCount;
}

std::mutex& StackLock()
{
    static std::mutex lock;
    return lock;
}

bool StackStarted()
{
    return stackStarted.load();
}

void MarkStackStarted()
{
    stackStarted.store(true);
}

StackFactory StackClass()
{
    return stackClass.load();
}

void SetStackClass(StackFactory factory)
{
    stackClass.store(factory != nullptr ? factory : &CreatePosixStack);
}

void RegisterStackUser()
{
    std::lock_guard lock(StackLock());
    if (stackUserCount == 0) {
        sharedStack = StackClass()(); // raises before the count changes
        sharedStackView.store(sharedStack.get());
    }
    ++stackUserCount;
}

void UnregisterStackUser()
{
    std::lock_guard lock(StackLock());
    if (--stackUserCount == 0) {
        sharedStackView.store(nullptr);
        sharedStack.reset();
    }
}

} // namespace transport
