#pragma once

#include "discovery/AnsweringNode.h"

#include <cstddef>

namespace discovery {

// The memory every host's listed CCMs may take together in one scan. A host
// may claim any number of pages, and each page may carry texts of up to
// ccm::kMaxTextBytes: without a bound in all, a few hosts could claim
// gigabytes between them.
class ListingBudget {
public:
    // 64 MiB: a 5000-node station of 10 CCMs each takes about 12 MiB.
    static constexpr std::size_t kDefaultBytes = std::size_t{64} << 20;

    explicit ListingBudget(std::size_t bytes = kDefaultBytes) : left_(bytes) {}

    // Takes what keeping `ccm` costs; false, taking nothing, when too little
    // is left.
    bool take(const ListedCcm& ccm);

private:
    std::size_t left_;
};

} // namespace discovery
