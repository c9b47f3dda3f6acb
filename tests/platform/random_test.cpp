#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/random_sequence.h"

// The browser build draws the tile variants from this sequence: it must be
// the C library's unseeded rand() here, value for value, or the browser's
// pictures differ from the desktop's.
TEST(RandomSequence, IsTheUnseededCLibraryRand)
{
    srand(1);   // what an unseeded generator starts from
    RandomSequence sequence;
    for (int i = 0; i < 100000; i++)
        ASSERT_EQ(next_random(sequence), rand()) << "value " << i;
}
