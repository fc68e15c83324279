// Field lists inside a key's text: reading, counting, naming, writing, deleting.
#include "field_list.h"
#include "store_test_util.h"

#include <gtest/gtest.h>

using namespace store_test;
using namespace config_store;

namespace {

TEST(ListTokens, QuotingAndSkippedQuotes)
{
    const struct {
        const char* text;
        const char* token;
        size_t end;
    } cases[] = {
        {"  abc=1", "abc", 5},
        {"\t\"a b\"=x", "a b", 6},
        {"ab\"cd,", "abcd", 5},
        {"\"open", "open", 5},
        {"\"x\ny\"", "x", 2},
        {"a b", "a", 1},
        {"", "", 0},
        {"=1", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        size_t pos = 0;
        EXPECT_EQ(ReadListToken(c.text, pos), c.token);
        EXPECT_EQ(pos, c.end);
    }
    EXPECT_EQ(QuoteListToken(""), "");
    EXPECT_EQ(QuoteListToken("Gain_1.-x"), "Gain_1.-x");
    EXPECT_EQ(QuoteListToken("a b"), "\"a b\"");
}

TEST(ListReading, CountsNamesAndValues)
{
    const struct {
        const char* list;
        size_t count;
    } counts[] = {{"a=1", 1}, {"", 0}, {"a=1,", 0}, {"a=1, b", 2}, {"a=1 b=2", 0}, {"=1", 0}, {" a = 1 ,\tb=2 ", 2}};
    for (const auto& c : counts) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(CountListFields(c.list), c.count);
    }

    const char* list = "Gain=5, \"Long Name\"=\"a b\"";
    EXPECT_EQ(CountListFields(list), 2u);
    EXPECT_EQ(ListFieldName(list, 1), "Long Name");
    EXPECT_EQ(FindListField(list, "long name"), "a b");
    EXPECT_EQ(FindListField(list, "GAIN"), "5");
    EXPECT_EQ(FindListField(list, "none"), std::nullopt);
    EXPECT_EQ(ListFieldName(list, 2), std::nullopt);
    EXPECT_EQ(ListFieldName("a=1, =2, c=3", 2), std::nullopt) << "malformed before the index";
    EXPECT_EQ(FindListField("a=1 x, b=2", "b"), std::nullopt) << "junk after an item";
    EXPECT_EQ(FindListField("a=1 x, b=2", "a"), "1") << "a match before the junk counts";
    EXPECT_EQ(FindListField("=1, b=2", "b"), std::nullopt) << "empty name";
}

TEST(ListWriting, RebuildsInCanonicalForm)
{
    const struct {
        const char* list;
        const char* field;
        const char* value;
        const char* result;
    } cases[] = {
        {"", "Mode", "x y", "Mode=\"x y\""},
        {"a=1,b=2", "a", "x y", "a=\"x y\", b=2"},
        {"b=2", "Mode", "x y", "b=2, Mode=\"x y\""},
        {"a=1, A=2, b=3", "a", "9", "a=9, b=3"},
        {"=5, b=3", "c", "1", "c=1, b=3"},
        {"  x = \"1\" ,y=", "y", "", "x=1, y="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(ListWithField(c.list, c.field, c.value), c.result);
    }
    EXPECT_EQ(ListWithField("a=1 junk", "a", "2"), std::nullopt);

    EXPECT_EQ(ListWithoutField("a=1, b=2, c=3", "b"), "a=1, c=3");
    EXPECT_EQ(ListWithoutField("a=1", "A"), "");
    EXPECT_EQ(ListWithoutField("", "a"), "");
    EXPECT_EQ(ListWithoutField("=1, a=2", "a"), std::nullopt) << "empty name with a value";
    EXPECT_EQ(ListWithoutField("a=1;", "a"), std::nullopt);
}

TEST(FieldOperations, WorkThroughTheStoresRawText)
{
    CIniFile_Mem store;
    int found = -1;
    EXPECT_EQ(store.WriteFieldString("S", "K", "Mode", "x y"), 0);
    EXPECT_EQ(RawValue(store, "S", "K"), "Mode=\"x y\"");
    EXPECT_EQ(store.WriteFieldUInt("S", "K", "Baud", 9600), 0);
    EXPECT_EQ(store.GetFieldUInt("S", "K", "baud", 1, &found), 9600u);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(store.WriteFieldDouble("S", "K", "G", 0.5), 0);
    EXPECT_DOUBLE_EQ(store.GetFieldDouble("S", "K", "g", 0, &found), 0.5);
    const unsigned char bytes[] = {0xCA, 0xFE};
    EXPECT_EQ(store.WriteFieldBinary("S", "K", "B", bytes, 2), 0);
    unsigned char buf[2] = {};
    EXPECT_EQ(store.GetFieldBinary("S", "K", "B", nullptr, 0, buf, 2, &found), 2u);
    EXPECT_EQ(buf[1], 0xFE);
    EXPECT_EQ(store.GetFieldCount("S", "K"), 4u);

    char name[8];
    EXPECT_EQ(store.GetFieldName("S", "K", 1, name, sizeof name), 4u);
    EXPECT_STREQ(name, "Baud");
    EXPECT_EQ(store.GetFieldName("S", "K", 9, name, sizeof name), 0u);
    EXPECT_STREQ(name, "Baud") << "a missing field leaves the buffer alone";

    EXPECT_EQ(store.FieldExists("S", "K", "MODE"), 1);
    EXPECT_EQ(store.DeleteField("S", "K", "mode"), 0);
    EXPECT_EQ(store.FieldExists("S", "K", "Mode"), 0);
    EXPECT_EQ(store.GetFieldString("S", "K", "Mode", "none", reinterpret_cast<char*>(name), sizeof name, &found), 4u);
    EXPECT_EQ(found, 0);

    store.WriteString("S", "bad", "a=1 ; b=2");
    EXPECT_EQ(store.WriteFieldString("S", "bad", "b", "3"), INIERR_LIST);
    EXPECT_EQ(RawValue(store, "S", "bad"), "a=1 ; b=2") << "a malformed list is never rewritten";
    EXPECT_EQ(store.DeleteField("S", "bad", "a"), INIERR_LIST);

    EXPECT_EQ(store.DeleteField("S", "new", "x"), 0);
    EXPECT_EQ(store.KeyExists("S", "new"), 1) << "deleting from a missing key creates it empty";
    EXPECT_EQ(store.GetFieldCount("S", "missing"), 0u);
}

} // namespace
