// The buffered store: the ini grammar, layout-preserving writes, first-match
// lookups and the name indexes kept through every change.
#include "ini_tree.h"
#include "store_test_util.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace store_test;

namespace {

TEST(IniGrammar, LoadThenSaveReproducesTheText)
{
    const char* golden[] = {
        "; header\n\n[A]\nx=1\n; note\ny= spaced value \n\n[B]\n// slashes\n# hash\n   \nk=v=w\nempty=\n",
        "[A]\n[B]\n",
        "\n\n[Only]\n",
        "[A]\nx=1\nloose\n; after it\n[C]\nz=3\n",
        "[A]\n\tkey=tab\n",
    };
    for (const char* text : golden) {
        SCOPED_TRACE(text);
        CIniFile_Mem store;
        EXPECT_EQ(LoadText(store, text), 0);
        EXPECT_EQ(SaveText(store), text);
    }
}

TEST(IniGrammar, NormalisesHeadersAndKeyLines)
{
    CIniFile_Mem store;
    ASSERT_EQ(LoadText(store, "[ My Section ] trailing\nx = 1\n"), 0);
    EXPECT_EQ(SaveText(store), "[My Section]\nx= 1\n");
    EXPECT_EQ(RawValue(store, "my section", "X"), " 1");
    EXPECT_EQ(store.GetInt("My Section", "x", 0, nullptr), 1);
}

TEST(IniGrammar, SyntaxErrorsKeepWhatWasRead)
{
    const struct {
        const char* text;
        int result;
        size_t sections;
    } cases[] = {
        {"x=1\n", INIERR_SYNTAX, 0},
        {"[]\n", INIERR_SYNTAX, 0},
        {"[A\n", INIERR_SYNTAX, 0},
        {"[A]\nx=1\n[B\n", INIERR_SYNTAX, 1},
        {"[A]\nkey value\n", INIERR_SYNTAX, 1},
        {"[A]\nloose\ny=2\n", INIERR_SYNTAX, 1},
        {"[A]\nx [B]\ny=2\n", 0, 2},
        {"[A]\nx ;c\n", 0, 1},
        {"[A]\r\nx=1\r\n", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CIniFile_Mem store;
        EXPECT_EQ(LoadText(store, c.text), c.result);
        EXPECT_EQ(store.GetSectionCount(), c.sections);
    }
}

TEST(IniGrammar, KeyWithBlankIsWrittenButDoesNotReload)
{
    CIniFile_Mem store;
    store.WriteString("A", "two words", "1");
    std::string text = SaveText(store);
    EXPECT_EQ(text, "[A]\ntwo words=1\n");
    CIniFile_Mem again;
    EXPECT_EQ(LoadText(again, text), INIERR_SYNTAX);
}

TEST(BufferedWrites, KeepTheLayout)
{
    CIniFile_Mem store;
    ASSERT_EQ(LoadText(store, "[A]\nx=1\n"), 0);
    store.WriteString("B", "y", "2");
    EXPECT_EQ(SaveText(store), "[A]\nx=1\n\n[B]\ny=2\n");

    ASSERT_EQ(LoadText(store, "[A]\nx=1\n; c\n\n\n[B]\n"), 0);
    store.WriteString("A", "z", "3");
    store.WriteString("A", "x", "9");
    EXPECT_EQ(SaveText(store), "[A]\nx=9\n; c\nz=3\n\n\n[B]\n");

    CIniFile_Mem fresh;
    fresh.WriteString("First", "k", "v");
    EXPECT_EQ(SaveText(fresh), "[First]\nk=v\n") << "no empty line before the first section";
}

TEST(BufferedDeletes, SectionTakesItsCommentBlock)
{
    CIniFile_Mem store;
    ASSERT_EQ(LoadText(store, "[A]\nx=1\n; about B\n\n[B]\ny=2\n[C]\nz=3\n"), 0);
    EXPECT_EQ(store.DeleteSection("b"), 0);
    EXPECT_EQ(SaveText(store), "[A]\nx=1\n[C]\nz=3\n");

    ASSERT_EQ(LoadText(store, "; top\n\n[A]\nx=1\nloose\n; top 2\n[B]\ny=2\n"), 0);
    EXPECT_EQ(store.DeleteSection("B"), 0);
    EXPECT_EQ(SaveText(store), "; top\n\n[A]\nx=1\n");
    EXPECT_EQ(store.DeleteSection("missing"), 0);
    EXPECT_EQ(store.DeleteKey("A", "missing"), 0);
    EXPECT_EQ(store.DeleteKey("A", "x"), 0);
    EXPECT_EQ(SaveText(store), "; top\n\n[A]\n");
}

TEST(BufferedEnumeration, SectionsAndKeysOnly)
{
    CIniFile_Mem store;
    char buf[16] = "unchanged";
    EXPECT_EQ(store.GetSectionName(0, buf, sizeof buf), IniErrorAsSize(INIERR_EMPTY));
    ASSERT_EQ(LoadText(store, "; c\n"), 0);
    EXPECT_EQ(store.GetSectionName(0, nullptr, 4), IniErrorAsSize(INIERR_PARAM));
    EXPECT_EQ(store.GetSectionName(0, buf, sizeof buf), 0u) << "only comments: not empty, but no section";

    ASSERT_EQ(LoadText(store, "; c\n[Alpha]\n; d\na=1\nb=2\n\n[Beta]\n"), 0);
    EXPECT_EQ(store.GetSectionCount(), 2u);
    EXPECT_EQ(store.GetSectionName(1, buf, sizeof buf), 4u);
    EXPECT_STREQ(buf, "Beta");
    EXPECT_EQ(store.GetSectionName(0, buf, 3), 2u);
    EXPECT_STREQ(buf, "Al");
    EXPECT_EQ(store.GetKeyCount("ALPHA"), 2u);
    EXPECT_EQ(store.GetKeyCount("Gamma"), 0u);
    EXPECT_EQ(store.GetKeyName("Alpha", 1, buf, sizeof buf), 1u);
    EXPECT_STREQ(buf, "b");
    EXPECT_EQ(store.GetKeyName("Alpha", 2, buf, sizeof buf), 0u);
    EXPECT_EQ(store.KeyExists(nullptr, "a"), 0);
    EXPECT_EQ(store.KeyExists("alpha", nullptr), 0);
    EXPECT_EQ(store.SectionExists("beta"), 1);
    EXPECT_EQ(store.DeleteAll(), 0);
    EXPECT_EQ(store.GetSectionCount(), 0u);
    EXPECT_EQ(store.SectionExists("beta"), 0);
}

TEST(Duplicates, FirstMatchWinsLaterOnesAreKept)
{
    const std::string text = "[A]\nk=1\nK=2\n[a]\nk=3\nother=4\n";
    CIniFile_Mem store;
    ASSERT_EQ(LoadText(store, text), 0);
    EXPECT_EQ(store.GetSectionCount(), 2u);
    EXPECT_EQ(store.GetKeyCount("a"), 2u);
    EXPECT_EQ(RawValue(store, "a", "K"), "1");
    EXPECT_EQ(store.KeyExists("A", "other"), 0) << "keys of a later duplicate section are never found";
    EXPECT_EQ(SaveText(store), text);

    // Removing the first of a name makes the next one the match.
    store.DeleteKey("A", "k");
    EXPECT_EQ(RawValue(store, "A", "k"), "2");
    store.DeleteKey("A", "k");
    EXPECT_EQ(store.KeyExists("A", "k"), 0);
    store.DeleteSection("A");
    EXPECT_EQ(RawValue(store, "A", "k"), "3");
    EXPECT_EQ(RawValue(store, "A", "other"), "4");
    store.DeleteSection("A");
    EXPECT_EQ(store.SectionExists("A"), 0);
    store.WriteString("A", "k", "new");
    EXPECT_EQ(SaveText(store), "[A]\nk=new\n");
}

// A plain linear model of the first-match rules, to compare the indexed store with.
struct ModelSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
};

const std::string* ModelFind(const std::vector<ModelSection>& model, const std::string& s, const std::string& k)
{
    for (const auto& section : model) {
        if (!config_store::NamesEqual(section.name, s)) continue;
        for (const auto& kv : section.keys) {
            if (config_store::NamesEqual(kv.first, k)) return &kv.second;
        }
        return nullptr;
    }
    return nullptr;
}

TEST(Duplicates, IndexAgreesWithALinearScanThroughRandomChanges)
{
    std::mt19937 random(12345);
    const char* names[] = {"a", "A", "b", "B", "c", "d"};
    auto pick = [&] { return std::string(names[random() % 6]); };
    std::vector<ModelSection> model;
    std::string text;
    for (int i = 0; i < 40; ++i) {
        ModelSection section{pick(), {}};
        text += "[" + section.name + "]\n";
        for (int j = int(random() % 5); j > 0; --j) {
            section.keys.emplace_back(pick(), std::to_string(random() % 100));
            text += section.keys.back().first + "=" + section.keys.back().second + "\n";
        }
        model.push_back(section);
    }
    CIniFile_Mem store;
    ASSERT_EQ(LoadText(store, text), 0);

    for (int step = 0; step < 400; ++step) {
        std::string s = pick(), k = pick();
        switch (random() % 4) {
        case 0: { // delete the first matching section
            store.DeleteSection(s.c_str());
            for (auto it = model.begin(); it != model.end(); ++it) {
                if (config_store::NamesEqual(it->name, s)) {
                    model.erase(it);
                    break;
                }
            }
            break;
        }
        case 1: { // delete the first matching key of the first matching section
            store.DeleteKey(s.c_str(), k.c_str());
            for (auto& section : model) {
                if (!config_store::NamesEqual(section.name, s)) continue;
                for (auto it = section.keys.begin(); it != section.keys.end(); ++it) {
                    if (config_store::NamesEqual(it->first, k)) {
                        section.keys.erase(it);
                        break;
                    }
                }
                break;
            }
            break;
        }
        default: { // write
            std::string v = std::to_string(step);
            store.WriteString(s.c_str(), k.c_str(), v.c_str());
            if (const std::string* existing = ModelFind(model, s, k)) {
                const_cast<std::string&>(*existing) = v;
            } else {
                auto it = std::find_if(model.begin(), model.end(),
                                       [&](const ModelSection& m) { return config_store::NamesEqual(m.name, s); });
                if (it == model.end()) it = model.insert(model.end(), ModelSection{s, {}});
                it->keys.emplace_back(k, v);
            }
        }
        }
        for (const char* qs : names) {
            for (const char* qk : names) {
                const std::string* expected = ModelFind(model, qs, qk);
                int found = -1;
                std::string actual = RawValue(store, qs, qk, &found);
                ASSERT_EQ(found, expected ? 1 : 0) << "step " << step << " " << qs << "/" << qk;
                if (expected) {
                    ASSERT_EQ(actual, *expected) << "step " << step << " " << qs << "/" << qk;
                }
            }
        }
    }
    EXPECT_EQ(store.GetSectionCount(), model.size());
}

} // namespace
