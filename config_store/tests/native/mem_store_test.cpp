// The memory store: line ends of a memory block, NUL ends and the output block.
#include "store_test_util.h"

#include <gtest/gtest.h>

using namespace store_test;

namespace {

TEST(MemStore, LineEndsOfAMemoryBlock)
{
    const struct {
        std::string bytes;
        const char* saved;
    } cases[] = {
        {"[A]\r\nx=1", "[A]\nx=1\n"},
        {"[A]\n\n\rx=1\n", "[A]\n\nx=1\n"},
        {"[A]\n\nx=1", "[A]\n\nx=1\n"},
        {"[A]\rx=1\r\r\ny=2", "[A]\nx=1\n\ny=2\n"},
        {std::string("[A]\nx=1\n\0y=2\n", 13), "[A]\nx=1\n"},
        {std::string("[A]\nx=1\0zz", 10), "[A]\nx=1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        const std::string input = c.bytes;
        CIniFile_Mem store;
        EXPECT_EQ(LoadText(store, c.bytes), 0);
        EXPECT_EQ(SaveText(store), c.saved);
        EXPECT_EQ(input, c.bytes) << "the input is never written to";
    }
}

TEST(MemStore, OutputBlockHoldsTheTextAndItsNul)
{
    CIniFile_Mem store;
    IniMemBlock block;
    ASSERT_EQ(store.SetFileName(reinterpret_cast<const char*>(&block)), 0);
    store.WriteString("A", "x", "1");
    ASSERT_EQ(store.Save(), 0);
    EXPECT_EQ(block.outSize, 9u);
    EXPECT_EQ(std::string(block.outData, block.outSize), std::string("[A]\nx=1\n\0", 9));

    // Feeding the output back reloads the same tree.
    for (int i = 0; i < 500; ++i) store.WriteUInt("Big", ("k" + std::to_string(i)).c_str(), unsigned(i));
    ASSERT_EQ(store.Save(), 0);
    const std::string saved(block.outData, block.outSize - 1);
    EXPECT_GT(block.outSize, 4096u);
    CIniFile_Mem again;
    IniMemBlock in;
    in.inData = block.outData;
    in.inSize = block.outSize;
    again.SetFileName(reinterpret_cast<const char*>(&in));
    ASSERT_EQ(again.Load(), 0);
    EXPECT_EQ(SaveText(again), saved);
}

TEST(MemStore, MissingBlockOrData)
{
    CIniFile_Mem store;
    EXPECT_EQ(store.Load(), INIERR_OPEN);
    EXPECT_EQ(store.Save(), INIERR_OPEN);
    store.SetFileName(nullptr);
    EXPECT_EQ(store.Load(), INIERR_OPEN);
    IniMemBlock empty;
    store.SetFileName(reinterpret_cast<const char*>(&empty));
    EXPECT_EQ(store.Load(), INIERR_OPEN);
    EXPECT_EQ(store.FileName(), "") << "the block does not replace the file name";
}

} // namespace
