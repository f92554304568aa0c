#include "node/RandomSequence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(RandomSequence, StartUpSequenceDiscardsOneDraw)
{
    node::RandomSequence random;
    std::vector<int> drawn;
    for (int i = 0; i < 6; ++i)
        drawn.push_back(random.next());
    EXPECT_EQ(drawn, (std::vector<int>{130, 10982, 1090, 11656, 7117, 17595}));
}

TEST(RandomSequence, SeededSequenceStartsWithoutDiscarding)
{
    node::RandomSequence seeded(1);
    EXPECT_EQ(seeded.next(), 346); // the draw the start-up sequence discards
    EXPECT_EQ(seeded.next(), 130);
}

// Up to 32768 numbers a value is one draw modulo the span, as the window
// draws; wider spans reach their whole range, every part of it about as often.
TEST(RandomSequence, BelowServesSmallSpansAsTheWindowAndWideSpansWhole)
{
    node::RandomSequence below;
    node::RandomSequence window;
    for (const std::uint64_t span : {1u, 2u, 101u, 32768u})
        for (int i = 0; i < 50; ++i)
            ASSERT_EQ(below.below(span), static_cast<std::uint64_t>(window.next()) % span);

    for (const std::uint64_t span : {32769ull, 1000001ull, 1ull << 32}) {
        node::RandomSequence random(7);
        std::vector<int> tenths(10);
        for (int i = 0; i < 20000; ++i) {
            const std::uint64_t value = random.below(span);
            ASSERT_LT(value, span);
            ++tenths[value * 10 / span];
        }
        // 2000 expected in each tenth; 1700 is far outside chance.
        for (const int count : tenths)
            EXPECT_GT(count, 1700) << "span " << span;
    }
}

} // namespace
