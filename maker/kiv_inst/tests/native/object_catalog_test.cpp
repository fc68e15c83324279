// Object ids of the framework instance: uniqueness, listing order, names and types.
#include "kiv_inst_core/ObjectCatalog.h"
#include "kiv_inst_core/LiveObjects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace kivinst;

namespace {

ObjectCatalog CatalogWithBuiltins()
{
    ObjectCatalog c;
    EXPECT_TRUE(c.AddBuiltin(0, "Communication Device", 0, ObjectSource::CommDevice));
    EXPECT_TRUE(c.AddBuiltin(4096, "Terminal", 1, ObjectSource::Terminal));
    EXPECT_TRUE(c.AddBuiltin(4098, "Script Processor", 0, ObjectSource::ScriptProcessor));
    return c;
}

TEST(ObjectCatalog, PluginTypesCannotTakeTakenOrReservedIds)
{
    ObjectCatalog c = CatalogWithBuiltins();
    const PluginType offered[] = {
        {0x10000, "Camera", 1},
        {4096, "Fake terminal", 1},   // a built-in id
        {0x10000, "Camera again", 1}, // twice in one module
        {kNoObjectId, "No type", 1},  // the plug-ins' own "no such type"
        {0x20000, "Other", 0},
    };
    EXPECT_EQ(2u, c.AddPluginTypes(3, offered, std::size(offered)));

    // A second module offering the same type adds nothing and keeps the first owner.
    const PluginType again[] = {{0x10000, "Impostor", 1}};
    EXPECT_EQ(0u, c.AddPluginTypes(4, again, 1));
    ASSERT_NE(nullptr, c.Find(0x10000));
    EXPECT_EQ(3u, c.Find(0x10000)->module);
    EXPECT_STREQ("Camera", reinterpret_cast<const char*>(c.Info(0x10000, 0)));
    EXPECT_STREQ("Terminal", reinterpret_cast<const char*>(c.Info(4096, 0)));
    EXPECT_FALSE(c.AddBuiltin(4098, "Twice", 0, ObjectSource::ScriptProcessor));

    const std::vector<uint32_t> expected = {0, 4096, 4098, 0x10000, 0x20000};
    ASSERT_EQ(expected.size(), c.Size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("index " + std::to_string(i));
        EXPECT_EQ(expected[i], c.IdAt(i));
    }
    EXPECT_EQ(kNoObjectId, c.IdAt(expected.size()));
}

TEST(ObjectCatalog, InfoKinds)
{
    ObjectCatalog c = CatalogWithBuiltins();
    const PluginType offered[] = {{0x10000, "Camera", 1}};
    c.AddPluginTypes(0, offered, 1);
    struct Case {
        uint32_t id;
        int kind;
        uintptr_t expected;
    } cases[] = {
        {4096, 1, 1},
        {0x10000, 1, 1},
        {0, 1, 0},
        {4098, 1, 0},
        {4096, 2, 0},
        {4096, -1, 0},
        {12345, 0, 0},
        {12345, 1, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("id " + std::to_string(k.id) + " kind " + std::to_string(k.kind));
        EXPECT_EQ(k.expected, c.Info(k.id, k.kind));
    }
}

TEST(ObjectCatalog, NamePointersSurviveLaterAdditions)
{
    ObjectCatalog c = CatalogWithBuiltins();
    const char* terminal = reinterpret_cast<const char*>(c.Info(4096, 0));
    std::vector<PluginType> many;
    for (uint32_t i = 0; i < 500; ++i)
        many.push_back({0x10000 + i, "Type " + std::to_string(i), 1});
    EXPECT_EQ(many.size(), c.AddPluginTypes(1, many.data(), many.size()));
    EXPECT_EQ(terminal, reinterpret_cast<const char*>(c.Info(4096, 0)));
    EXPECT_STREQ("Terminal", terminal);
}

// A recording object: its deletion is logged so the order can be checked.
class Recorded final : public CKIVObject_0 {
public:
    Recorded(int tag, std::vector<int>& log) : tag_(tag), log_(log) {}
    ~Recorded() { log_.push_back(tag_); }
    unsigned long GetObjType() override { return static_cast<unsigned long>(tag_); }
    long GetParamLimits(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*) override { return 2; }
    long SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                  unsigned long long) override { return 2; }
    long GetParam(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                  unsigned long long*) override { return 2; }

private:
    int tag_;
    std::vector<int>& log_;
};

void DeleteRecorded(CKIVObject_0* o) { delete static_cast<Recorded*>(o); }

TEST(LiveObjects, ReleasesOnlyOwnObjectsOnceAndTheRestNewestFirst)
{
    std::vector<int> log;
    {
        Recorded stranger(99, log);
        LiveObjects live;
        auto* a = new Recorded(1, log);
        auto* b = new Recorded(2, log);
        auto* c = new Recorded(3, log);
        live.Add(a, DeleteRecorded);
        live.Add(b, DeleteRecorded);
        live.Add(c, DeleteRecorded);

        EXPECT_TRUE(live.Release(b));
        EXPECT_FALSE(live.Release(b)) << "a released object must not be deleted twice";
        EXPECT_FALSE(live.Release(&stranger));
        EXPECT_FALSE(live.Release(nullptr));
        EXPECT_EQ(2u, live.Size());
        EXPECT_EQ(std::vector<int>({2}), log);
    } // the forgotten objects go with the registry, newest first
    EXPECT_EQ(std::vector<int>({2, 3, 1, 99}), log);
}

} // namespace
