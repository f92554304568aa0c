#include "transport/TIdComponent.h"

#include "transport/StackRegistry.h"

namespace transport {

TIdComponent::TIdComponent()
{
    RegisterStackUser();
}

TIdComponent::~TIdComponent()
{
    UnregisterStackUser();
}

void TIdComponent::ProgressBegin(TWorkMode mode, std::int64_t size)
{
    Progress& progress = ProgressOf(mode);
    if (++progress.nesting == 1) {
        progress.total = 0;
        if (OnWorkBegin) {
            OnWorkBegin(*this, mode, size);
        }
    }
}

void TIdComponent::ProgressStep(TWorkMode mode, std::int64_t count)
{
    Progress& progress = ProgressOf(mode);
    if (progress.nesting > 0) {
        progress.total += count;
        if (OnWork) {
            OnWork(*this, mode, progress.total);
        }
    }
}

void TIdComponent::ProgressEnd(TWorkMode mode)
{
    Progress& progress = ProgressOf(mode);
    if (progress.nesting == 1 && OnWorkEnd) {
        OnWorkEnd(*this, mode);
    }
    // An unmatched end must not leave the count below zero, or the next begin
    // would never fire.
    if (progress.nesting > 0) {
        --progress.nesting;
    }
}

} // namespace transport
