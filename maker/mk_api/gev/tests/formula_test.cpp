// Formulas of device descriptions, on integers and on doubles.
#include "mk_gev/Formula.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace mkgev {
namespace {

TEST(FormulaTest, IntegerResults)
{
    const std::map<std::string, int64_t> vars = {{"W", 640}, {"H", 480}, {"PF", 0x01080001}, {"X", -7}};
    auto lookup = [&](const std::string& name, int64_t& v) {
        auto it = vars.find(name);
        if (it == vars.end())
            return false;
        v = it->second;
        return true;
    };
    struct Case {
        const char* formula;
        int64_t expected;
    };
    const Case cases[] = {
        {"W*H*((PF>>16)&0xFF)/8", 307200},
        {"1+2*3", 7},
        {"(1+2)*3", 9},
        {"2**3**2", 512}, // right-associative
        {"-2**2", -4},
        {"10-4-3", 3},
        {"100/7", 14},
        {"100%7", 2},
        {"X/2", -3},
        {"1<<4|1", 17},
        {"6&3^1", 3},
        {"W>H && H>0", 1},
        {"W<H || 0", 0},
        {"W=640", 1},
        {"W<>640", 0},
        {"W!=641", 1},
        {"W>=640?1:2", 1},
        {"W<=639 ? 1 : H==480 ? 2 : 3", 2},
        {"!0 + ~0", 0},
        {"ABS(X) + SGN(X)", 6},
        {"0x10 + 0XfF", 271},
        {"TRUNC(7.9)", 7},
        {"CEIL(7)", 7},
        {"NEG(5)", -5},
        {"1 << 70", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        std::string error;
        auto f = Formula::parse(c.formula, error);
        ASSERT_TRUE(f) << error;
        int64_t value = 0;
        ASSERT_TRUE(f->evaluate(Formula::IntLookup(lookup), value));
        EXPECT_EQ(c.expected, value);
    }
}

TEST(FormulaTest, DoubleResults)
{
    auto lookup = [](const std::string& name, double& v) {
        if (name == "TO") {
            v = 40000;
            return true;
        }
        if (name == "FROM") {
            v = 12.5;
            return true;
        }
        return false;
    };
    struct Case {
        const char* formula;
        double expected;
    };
    const Case cases[] = {
        {"(1000000 / TO)", 25.0},
        {"(1000000 / FROM)", 80000.0},
        {"1.5e2 + .5", 150.5},
        {"SQRT(16) + LN(E) + LG(100)", 7.0},
        {"ROUND(2.345, 2)", 2.35},
        {"ROUND(2.5)", 3.0},
        {"FLOOR(-1.5)", -2.0},
        {"SIN(0) + COS(0) + ATAN(0)", 1.0},
        {"PI > 3.14 && PI < 3.15", 1.0},
        {"7 % 2.5", 2.0},
        {"2 ** 0.5 * 2 ** 0.5", 2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        std::string error;
        auto f = Formula::parse(c.formula, error);
        ASSERT_TRUE(f) << error;
        double value = 0;
        ASSERT_TRUE(f->evaluate(Formula::DoubleLookup(lookup), value));
        EXPECT_NEAR(c.expected, value, 1e-9);
    }
}

TEST(FormulaTest, BadFormulasAndFailedEvaluationsAreRefused)
{
    const char* bad[] = {"", "1+", "(1", "1)", "FOO(1)", "1 ? 2", "0x", "3 $ 4", "SIN 1", "1 2"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(Formula::parse(text, error));
        EXPECT_NE(std::string::npos, error.find("formula")) << error;
    }
    std::string deep(200, '(');
    std::string error;
    EXPECT_FALSE(Formula::parse(deep + "1" + std::string(200, ')'), error));
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i)
        chain += "+1";
    EXPECT_FALSE(Formula::parse(chain, error));
    EXPECT_NE(std::string::npos, error.find("too long")) << error;

    auto none = [](const std::string&, int64_t&) { return false; };
    auto zero = [](const std::string&, int64_t& v) {
        v = 0;
        return true;
    };
    int64_t value = 0;
    EXPECT_FALSE(Formula::parse("UNKNOWN + 1", error)->evaluate(Formula::IntLookup(none), value));
    EXPECT_FALSE(Formula::parse("10 / D", error)->evaluate(Formula::IntLookup(zero), value));
    EXPECT_FALSE(Formula::parse("10 % D", error)->evaluate(Formula::IntLookup(zero), value));
    // Short-circuit: the unknown side is never asked for.
    EXPECT_TRUE(Formula::parse("0 && UNKNOWN", error)->evaluate(Formula::IntLookup(none), value));
    EXPECT_EQ(0, value);
    auto f = Formula::parse("A + B * A", error);
    ASSERT_TRUE(f);
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), f->variables());
}

} // namespace
} // namespace mkgev
