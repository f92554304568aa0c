#include "node/RandomSequence.h"

#include <gtest/gtest.h>

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

} // namespace
