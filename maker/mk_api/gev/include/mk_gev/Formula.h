// The formulas of a device description (SwissKnife, Converter and their integer forms):
// parsed once, evaluated on doubles or on 64-bit integers with the variables' values.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mkgev {

class Formula {
public:
    // Nesting beyond this is refused: formulas of real devices are far shallower.
    static constexpr int kMaxDepth = 64;

    // nullopt with `error` saying what is wrong and where.
    static std::optional<Formula> parse(std::string_view text, std::string& error);

    // Variable values by name; false when the name is unknown or cannot be read.
    using DoubleLookup = std::function<bool(const std::string& name, double& value)>;
    using IntLookup = std::function<bool(const std::string& name, int64_t& value)>;

    // False for an unknown variable, a division by zero in integers, or a value that is
    // not a number.
    bool evaluate(const DoubleLookup& lookup, double& out) const;
    bool evaluate(const IntLookup& lookup, int64_t& out) const;

    // The names the formula reads, each once.
    const std::vector<std::string>& variables() const { return variables_; }

    enum class Op : uint8_t {
        Number,
        Variable,
        Neg,
        Not,
        BitNot,
        Pow,
        Mul,
        Div,
        Mod,
        Add,
        Sub,
        Shl,
        Shr,
        Lt,
        Gt,
        Le,
        Ge,
        Eq,
        Ne,
        BitAnd,
        BitXor,
        BitOr,
        And,
        Or,
        Cond,
        Sgn,
        Abs,
        Sin,
        Cos,
        Tan,
        Asin,
        Acos,
        Atan,
        Exp,
        Ln,
        Lg,
        Sqrt,
        Trunc,
        Floor,
        Ceil,
        Round,
    };

private:
    struct Node {
        Op op = Op::Number;
        double number = 0;
        int64_t integer = 0;
        int variable = -1;
        int a = -1, b = -1, c = -1;
    };
    friend class FormulaParser;
    template <class T, class Lookup>
    bool eval(int node, const Lookup& lookup, std::vector<T>& values, std::vector<bool>& known, T& out) const;

    std::vector<Node> nodes_;
    int rootNode_ = -1;
    std::vector<std::string> variables_;
};

} // namespace mkgev
