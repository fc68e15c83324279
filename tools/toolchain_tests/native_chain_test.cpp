// Proves that the native build really runs under the sanitizers: a heap overrun
// and a signed overflow must stop the program with the sanitizer's report.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

// The operands pass through volatile locals so that the compiler can neither
// fold the faults away nor see them coming.
int readPastEnd(int index)
{
    std::vector<int> values(4, 1);
    volatile int at = index;
    return values.data()[at];
}

int addOverflowing(int a, int b)
{
    volatile int x = a, y = b;
    return x + y;
}

} // namespace

TEST(NativeChainDeathTest, AddressSanitizerCatchesAHeapOverrun)
{
    EXPECT_DEATH(readPastEnd(4), "heap-buffer-overflow");
}

TEST(NativeChainDeathTest, UndefinedBehaviorSanitizerCatchesSignedOverflow)
{
    EXPECT_DEATH(addOverflowing(INT_MAX, 1), "signed integer overflow");
}

TEST(NativeChain, OrdinaryCodeRunsClean)
{
    EXPECT_EQ(readPastEnd(3), 1);
    EXPECT_EQ(addOverflowing(2, 3), 5);
}
