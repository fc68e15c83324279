// Formula parsing (precedence climbing over a small token set) and evaluation.
#include "mk_gev/Formula.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace mkgev {

class FormulaParser {
public:
    FormulaParser(std::string_view text, Formula& formula) : text_(text), f_(formula) {}

    bool run(std::string& error)
    {
        f_.rootNode_ = conditional(0);
        skip();
        if (f_.rootNode_ >= 0 && pos_ != text_.size())
            fail("unexpected \"" + std::string(text_.substr(pos_, 8)) + "\"");
        if (!error_.empty())
            error = error_ + " in formula \"" + std::string(text_.substr(0, 200)) + "\"";
        return error_.empty();
    }

private:
    using Op = Formula::Op;
    static constexpr size_t kMaxNodes = 2000;

    void fail(std::string why)
    {
        if (error_.empty())
            error_ = std::move(why) + " at " + std::to_string(pos_);
    }
    void skip()
    {
        while (pos_ < text_.size() && std::isspace(uint8_t(text_[pos_])))
            ++pos_;
    }
    bool take(std::string_view token)
    {
        skip();
        if (text_.substr(pos_, token.size()) != token)
            return false;
        pos_ += token.size();
        return true;
    }
    int add(Formula::Node node)
    {
        // Evaluation recurses along the tree: its size bounds the depth.
        if (f_.nodes_.size() >= kMaxNodes) {
            fail("the formula is too long");
            return -1;
        }
        f_.nodes_.push_back(node);
        return int(f_.nodes_.size() - 1);
    }
    int binary(Op op, int a, int b)
    {
        if (a < 0 || b < 0)
            return -1;
        Formula::Node n;
        n.op = op;
        n.a = a;
        n.b = b;
        return add(n);
    }

    int conditional(int depth)
    {
        if (depth > Formula::kMaxDepth) {
            fail("the formula nests too deeply");
            return -1;
        }
        int c = logicalOr(depth);
        if (c < 0 || !take("?"))
            return c;
        int a = conditional(depth + 1);
        if (!take(":")) {
            fail("\":\" expected");
            return -1;
        }
        int b = conditional(depth + 1);
        if (a < 0 || b < 0)
            return -1;
        Formula::Node n;
        n.op = Op::Cond;
        n.a = a;
        n.b = b;
        n.c = c;
        return add(n);
    }

    // Binary levels, loosest first; each operator list is tried longest token first.
    struct Level {
        std::initializer_list<std::pair<std::string_view, Op>> ops;
    };
    int logicalOr(int d) { return level(d, 0); }

    int level(int depth, int index)
    {
        static const Level levels[] = {
            {{{"||", Op::Or}}},
            {{{"&&", Op::And}}},
            {{{"|", Op::BitOr}}},
            {{{"^", Op::BitXor}}},
            {{{"&", Op::BitAnd}}},
            {{{"<>", Op::Ne}, {"!=", Op::Ne}, {"==", Op::Eq}, {"=", Op::Eq}}},
            {{{"<=", Op::Le}, {">=", Op::Ge}, {"<", Op::Lt}, {">", Op::Gt}}},
            {{{"<<", Op::Shl}, {">>", Op::Shr}}},
            {{{"+", Op::Add}, {"-", Op::Sub}}},
            {{{"*", Op::Mul}, {"/", Op::Div}, {"%", Op::Mod}}},
        };
        if (index == int(std::size(levels)))
            return unary(depth);
        int left = level(depth, index + 1);
        while (left >= 0) {
            skip();
            bool matched = false;
            for (const auto& [token, op] : levels[index].ops) {
                if (text_.substr(pos_, token.size()) != token)
                    continue;
                // "|" is not the start of "||", "&" not of "&&", "*" not of "**",
                // "<" not of "<<" or "<=": longer tokens belong to other levels.
                std::string_view rest = text_.substr(pos_ + token.size());
                if ((token == "|" && rest.starts_with("|")) || (token == "&" && rest.starts_with("&")) ||
                    (token == "*" && rest.starts_with("*")) ||
                    ((token == "<" || token == ">") && (rest.starts_with("<") || rest.starts_with(">") || rest.starts_with("="))) ||
                    (token == "=" && rest.starts_with("=")))
                    continue;
                pos_ += token.size();
                left = binary(op, left, level(depth, index + 1));
                matched = true;
                break;
            }
            if (!matched)
                break;
        }
        return left;
    }

    int unary(int depth)
    {
        if (depth > Formula::kMaxDepth) {
            fail("the formula nests too deeply");
            return -1;
        }
        skip();
        Op op;
        if (take("-"))
            op = Op::Neg;
        else if (take("+"))
            return unary(depth + 1);
        else if (take("!"))
            op = Op::Not;
        else if (take("~"))
            op = Op::BitNot;
        else
            return power(depth);
        int a = unary(depth + 1);
        if (a < 0)
            return -1;
        Formula::Node n;
        n.op = op;
        n.a = a;
        return add(n);
    }

    int power(int depth)
    {
        int base = primary(depth);
        if (base >= 0 && take("**"))
            return binary(Op::Pow, base, unary(depth + 1)); // right-associative
        return base;
    }

    int primary(int depth)
    {
        skip();
        if (pos_ >= text_.size()) {
            fail("the formula ends early");
            return -1;
        }
        char c = text_[pos_];
        if (c == '(') {
            ++pos_;
            int inner = conditional(depth + 1);
            if (!take(")")) {
                fail("\")\" expected");
                return -1;
            }
            return inner;
        }
        if (std::isdigit(uint8_t(c)) || c == '.')
            return number();
        if (std::isalpha(uint8_t(c)) || c == '_')
            return name(depth);
        fail(std::string("unexpected \"") + c + "\"");
        return -1;
    }

    int number()
    {
        Formula::Node n;
        std::string_view rest = text_.substr(pos_);
        if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
            uint64_t value = 0;
            auto [end, ec] = std::from_chars(rest.data() + 2, rest.data() + rest.size(), value, 16);
            if (ec != std::errc() || end == rest.data() + 2) {
                fail("bad hexadecimal number");
                return -1;
            }
            pos_ += size_t(end - rest.data());
            n.integer = int64_t(value);
            n.number = double(value);
            return add(n);
        }
        size_t length = 0;
        bool fraction = false;
        while (length < rest.size() && (std::isdigit(uint8_t(rest[length])) || rest[length] == '.')) {
            fraction |= rest[length] == '.';
            ++length;
        }
        if (length < rest.size() && (rest[length] == 'e' || rest[length] == 'E')) {
            size_t e = length + 1;
            if (e < rest.size() && (rest[e] == '+' || rest[e] == '-'))
                ++e;
            if (e < rest.size() && std::isdigit(uint8_t(rest[e]))) {
                while (e < rest.size() && std::isdigit(uint8_t(rest[e])))
                    ++e;
                length = e;
                fraction = true;
            }
        }
        std::string token(rest.substr(0, length));
        char* end = nullptr;
        n.number = std::strtod(token.c_str(), &end);
        if (end != token.c_str() + token.size()) {
            fail("bad number");
            return -1;
        }
        if (fraction) {
            n.integer = std::isfinite(n.number) && std::fabs(n.number) < 9.2e18 ? int64_t(n.number) : 0;
        } else {
            uint64_t value = 0;
            auto [e2, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
            if (ec != std::errc()) {
                fail("number too large");
                return -1;
            }
            n.integer = int64_t(value);
        }
        pos_ += length;
        return add(n);
    }

    int name(int depth)
    {
        size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(uint8_t(text_[pos_])) || text_[pos_] == '_' || text_[pos_] == '.'))
            ++pos_;
        std::string word(text_.substr(start, pos_ - start));
        static const std::pair<std::string_view, Op> functions[] = {
            {"SGN", Op::Sgn},
            {"NEG", Op::Neg},
            {"ABS", Op::Abs},
            {"SIN", Op::Sin},
            {"COS", Op::Cos},
            {"TAN", Op::Tan},
            {"ASIN", Op::Asin},
            {"ACOS", Op::Acos},
            {"ATAN", Op::Atan},
            {"EXP", Op::Exp},
            {"LN", Op::Ln},
            {"LG", Op::Lg},
            {"SQRT", Op::Sqrt},
            {"TRUNC", Op::Trunc},
            {"FLOOR", Op::Floor},
            {"CEIL", Op::Ceil},
            {"ROUND", Op::Round},
        };
        skip();
        if (pos_ < text_.size() && text_[pos_] == '(') {
            for (const auto& [fn, op] : functions) {
                if (word != fn)
                    continue;
                ++pos_;
                Formula::Node n;
                n.op = op;
                n.a = conditional(depth + 1);
                if (op == Op::Round && take(","))
                    n.b = conditional(depth + 1);
                if (!take(")")) {
                    fail("\")\" expected after the argument of " + word);
                    return -1;
                }
                if (n.a < 0 || (op == Op::Round && n.b == -1 && !error_.empty()))
                    return -1;
                return add(n);
            }
            fail("unknown function " + word);
            return -1;
        }
        Formula::Node n;
        if (word == "PI") {
            n.number = 3.14159265358979323846;
            n.integer = 3;
            return add(n);
        }
        if (word == "E") {
            n.number = 2.71828182845904523536;
            n.integer = 2;
            return add(n);
        }
        n.op = Op::Variable;
        for (size_t i = 0; i < f_.variables_.size(); ++i)
            if (f_.variables_[i] == word)
                n.variable = int(i);
        if (n.variable < 0) {
            f_.variables_.push_back(word);
            n.variable = int(f_.variables_.size() - 1);
        }
        return add(n);
    }

    std::string_view text_;
    Formula& f_;
    size_t pos_ = 0;
    std::string error_;
};

std::optional<Formula> Formula::parse(std::string_view text, std::string& error)
{
    Formula formula;
    FormulaParser parser(text, formula);
    if (!parser.run(error))
        return std::nullopt;
    return formula;
}

namespace {

// Integer arithmetic that cannot overflow into undefined behaviour: it wraps as the
// device's registers would.
int64_t wrapAdd(int64_t a, int64_t b) { return int64_t(uint64_t(a) + uint64_t(b)); }
int64_t wrapSub(int64_t a, int64_t b) { return int64_t(uint64_t(a) - uint64_t(b)); }
int64_t wrapMul(int64_t a, int64_t b) { return int64_t(uint64_t(a) * uint64_t(b)); }

int64_t toInt(double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18)
        return 0;
    return int64_t(v);
}

template <class T>
T literal(double number, int64_t integer)
{
    if constexpr (std::is_same_v<T, double>)
        return number;
    else
        return integer;
}

} // namespace

template <class T, class Lookup>
bool Formula::eval(int index, const Lookup& lookup, std::vector<T>& values, std::vector<bool>& known, T& out) const
{
    const Node& n = nodes_[size_t(index)];
    T a{}, b{};
    constexpr bool isInt = std::is_same_v<T, int64_t>;
    switch (n.op) {
    case Op::Number: out = literal<T>(n.number, n.integer); return true;
    case Op::Variable:
        if (!known[size_t(n.variable)]) {
            if (!lookup(variables_[size_t(n.variable)], values[size_t(n.variable)]))
                return false;
            known[size_t(n.variable)] = true;
        }
        out = values[size_t(n.variable)];
        return true;
    case Op::Cond:
        if (!eval(n.c, lookup, values, known, a))
            return false;
        return eval(a != T{} ? n.a : n.b, lookup, values, known, out);
    case Op::And:
    case Op::Or:
        if (!eval(n.a, lookup, values, known, a))
            return false;
        if ((n.op == Op::And) == (a == T{})) {
            out = n.op == Op::Or ? T(1) : T(0);
            return true;
        }
        if (!eval(n.b, lookup, values, known, b))
            return false;
        out = b != T{} ? T(1) : T(0);
        return true;
    default: break;
    }
    if (!eval(n.a, lookup, values, known, a))
        return false;
    if (n.b >= 0 && !eval(n.b, lookup, values, known, b))
        return false;
    auto ia = [&] { return isInt ? int64_t(a) : toInt(double(a)); };
    auto ib = [&] { return isInt ? int64_t(b) : toInt(double(b)); };
    switch (n.op) {
    case Op::Neg:
        if constexpr (isInt)
            out = wrapSub(0, a);
        else
            out = -a;
        return true;
    case Op::Not: out = a == T{} ? T(1) : T(0); return true;
    case Op::BitNot: out = T(~ia()); return true;
    case Op::Pow:
        if constexpr (isInt) {
            if (b < 0)
                return false;
            int64_t result = 1;
            for (int64_t i = 0; i < b && i < 64; ++i)
                result = wrapMul(result, a);
            out = b >= 64 && a != 0 && a != 1 && a != -1 ? 0 : result;
        } else {
            out = std::pow(a, b);
        }
        return true;
    case Op::Mul:
        if constexpr (isInt)
            out = wrapMul(a, b);
        else
            out = a * b;
        return true;
    case Op::Div:
        if constexpr (isInt) {
            if (b == 0 || (a == std::numeric_limits<int64_t>::min() && b == -1))
                return false;
            out = a / b;
        } else {
            out = a / b;
        }
        return true;
    case Op::Mod:
        if (ib() == 0 || (ia() == std::numeric_limits<int64_t>::min() && ib() == -1))
            return false;
        if constexpr (isInt)
            out = a % b;
        else
            out = std::fmod(a, b);
        return true;
    case Op::Add:
        if constexpr (isInt)
            out = wrapAdd(a, b);
        else
            out = a + b;
        return true;
    case Op::Sub:
        if constexpr (isInt)
            out = wrapSub(a, b);
        else
            out = a - b;
        return true;
    case Op::Shl: out = T(ib() < 0 || ib() > 63 ? 0 : int64_t(uint64_t(ia()) << ib())); return true;
    case Op::Shr: out = T(ib() < 0 || ib() > 63 ? 0 : int64_t(uint64_t(ia()) >> ib())); return true;
    case Op::Lt: out = a < b; return true;
    case Op::Gt: out = a > b; return true;
    case Op::Le: out = a <= b; return true;
    case Op::Ge: out = a >= b; return true;
    case Op::Eq: out = a == b; return true;
    case Op::Ne: out = a != b; return true;
    case Op::BitAnd: out = T(ia() & ib()); return true;
    case Op::BitXor: out = T(ia() ^ ib()); return true;
    case Op::BitOr: out = T(ia() | ib()); return true;
    case Op::Sgn:
        out = T(a > T{} ? 1 : a < T{} ? -1
                                      : 0);
        return true;
    case Op::Abs:
        if constexpr (isInt)
            out = a < 0 ? wrapSub(0, a) : a;
        else
            out = std::fabs(a);
        return true;
    default: break;
    }
    // The rest are real functions; on integers they work on the value as a double.
    double x = double(a);
    double r = 0;
    switch (n.op) {
    case Op::Sin: r = std::sin(x); break;
    case Op::Cos: r = std::cos(x); break;
    case Op::Tan: r = std::tan(x); break;
    case Op::Asin: r = std::asin(x); break;
    case Op::Acos: r = std::acos(x); break;
    case Op::Atan: r = std::atan(x); break;
    case Op::Exp: r = std::exp(x); break;
    case Op::Ln: r = std::log(x); break;
    case Op::Lg: r = std::log10(x); break;
    case Op::Sqrt: r = std::sqrt(x); break;
    case Op::Trunc: r = std::trunc(x); break;
    case Op::Floor: r = std::floor(x); break;
    case Op::Ceil: r = std::ceil(x); break;
    case Op::Round: {
        double scale = n.b >= 0 ? std::pow(10.0, std::trunc(double(b))) : 1.0;
        r = std::isfinite(scale) && scale != 0 ? std::round(x * scale) / scale : x;
        break;
    }
    default: return false;
    }
    if constexpr (isInt)
        out = toInt(r);
    else
        out = r;
    return true;
}

bool Formula::evaluate(const DoubleLookup& lookup, double& out) const
{
    if (rootNode_ < 0)
        return false;
    std::vector<double> values(variables_.size());
    std::vector<bool> known(variables_.size());
    return eval(rootNode_, lookup, values, known, out);
}

bool Formula::evaluate(const IntLookup& lookup, int64_t& out) const
{
    if (rootNode_ < 0)
        return false;
    std::vector<int64_t> values(variables_.size());
    std::vector<bool> known(variables_.size());
    return eval(rootNode_, lookup, values, known, out);
}

} // namespace mkgev
