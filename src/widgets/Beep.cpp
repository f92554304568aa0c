#include "widgets/Beep.h"

#include <QApplication>

#include <utility>

namespace widgets {

namespace {

BeepHook& CurrentHook()
{
    static BeepHook hook;
    return hook;
}

} // namespace

void Beep()
{
    if (const BeepHook& hook = CurrentHook()) {
        hook();
        return;
    }
    QApplication::beep();
}

void SetBeepHook(BeepHook hook)
{
    CurrentHook() = std::move(hook);
}

} // namespace widgets
