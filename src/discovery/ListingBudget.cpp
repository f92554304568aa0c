#include "discovery/ListingBudget.h"

namespace discovery {

bool ListingBudget::take(const ListedCcm& ccm)
{
    // Texts longer than the string's own storage live on the heap besides.
    const std::size_t cost =
        sizeof(ListedCcm) + ccm.type.size() + ccm.unit.size() + ccm.level.size() + ccm.sr.size();
    if (cost > left_)
        return false;
    left_ -= cost;
    return true;
}

} // namespace discovery
