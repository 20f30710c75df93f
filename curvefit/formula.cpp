#include "curvefit/formula.h"

// The parser is recursive descent over the grammar in formula.h; it emits the program in
// postfix order while it parses, so no syntax tree is built. A simulated stack of "depends on
// the parameters" flags runs along, so every instruction knows which of its operands carry a
// gradient: parts of the formula made of numbers and x alone never touch a gradient.
//
// At run time each stack slot holds a value followed by its gradient (k doubles for k
// parameters). Every operation checks its domain before it computes, so no invalid operation
// or division by zero ever reaches the floating-point unit; only an overflow does, and it is
// reported from the value it leaves.

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <type_traits>

namespace {

constexpr std::array<std::pair<std::string_view, TFormula::TOpCode>, 9> kFunctions{{
    {"exp", TFormula::opExp},
    {"ln", TFormula::opLn},
    {"log10", TFormula::opLog10},
    {"sqrt", TFormula::opSqrt},
    {"sin", TFormula::opSin},
    {"cos", TFormula::opCos},
    {"tan", TFormula::opTan},
    {"atan", TFormula::opAtan},
    {"abs", TFormula::opAbs},
}};

// exp of more than this overflows a double (ln of the largest double is 709.78...).
constexpr double kExpLimit = 709.782712893384;

std::string NumberText(double v)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return std::string(buffer.data(), result.ptr);
}

// False for an infinity, a NaN, and a long double beyond the range of double.
template <class T>
bool InDoubleRange(T v)
{
    return std::abs(v) <= std::numeric_limits<double>::max();
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FormulaNumberText(double v)
{
    return NumberText(v);
}

namespace {

// The arguments of a fault's message: the name it names, then the number it names.
std::vector<std::string> FaultArgs(TFormulaFault code, const std::string& argument, double value)
{
    switch (code) {
    case ffExpectedOpenParen:
    case ffUnknownFunction:
    case ffNoDerivative:
        return {argument};
    case ffNestedTooDeep:
        return {std::to_string(kMaxFormulaNesting)};
    case ffLogOfNonPositive:
        return {argument, NumberText(value)};
    case ffSqrtOfNegative:
    case ffPowerOfNegative:
    case ffZeroToNegativePower:
        return {NumberText(value)};
    default:
        return {};
    }
}

std::string PositionPrefix(int position)
{
    return position > 0 ? "position " + std::to_string(position) + ": " : std::string();
}

std::string PointSuffix(int point, double x)
{
    return point > 0 ? ", at point " + std::to_string(point) + " (x = " + NumberText(x) + ")" : std::string();
}

}  // namespace

EFormulaError::EFormulaError(TFormulaFault code, int position, std::string argument, double value, int point,
                             double x)
    : EQZLMath2Error(code, FaultArgs(code, argument, value), PositionPrefix(position), PointSuffix(point, x)),
      Position(position),
      Argument(std::move(argument)),
      Value(value),
      Point(point),
      X(x)
{
}

// ---------------------------------------------------------------------------------------------
// Parser

class TFormulaParser {
public:
    TFormulaParser(TFormula& formula) : m_formula(formula), m_text(formula.m_text) {}

    void ParseFormula()
    {
        SkipBlanks();
        if (PeekName() == "y") {
            m_pos += 1;
            SkipBlanks();
            if (!Accept('=')) Fail(ffExpectedEquals);
        }
        ParseSum();
        SkipBlanks();
        if (m_pos < m_text.size()) Fail(ffExpectedOperator);
    }

private:
    using TOp = TFormula::TOpCode;

    class TNesting {
    public:
        explicit TNesting(TFormulaParser& parser) : m_parser(parser)
        {
            if (++m_parser.m_depth > kMaxFormulaNesting) m_parser.Fail(ffNestedTooDeep);
        }
        ~TNesting() { --m_parser.m_depth; }
        TNesting(const TNesting&) = delete;
        TNesting& operator=(const TNesting&) = delete;

    private:
        TFormulaParser& m_parser;
    };

    [[noreturn]] void Fail(TFormulaFault code, std::string argument = {}, std::size_t at = std::string::npos)
    {
        throw EFormulaError(code, static_cast<int>((at == std::string::npos ? m_pos : at) + 1), std::move(argument));
    }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    }
    bool Accept(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool AcceptPower()
    {
        if (Accept('^')) return true;
        if (m_text.compare(m_pos, 2, "**") == 0) {
            m_pos += 2;
            return true;
        }
        return false;
    }
    std::string_view PeekName() const
    {
        if (m_pos >= m_text.size() || !IsNameStart(m_text[m_pos])) return {};
        std::size_t end = m_pos;
        while (end < m_text.size() && IsNameChar(m_text[end])) ++end;
        return std::string_view(m_text).substr(m_pos, end - m_pos);
    }

    void ParseSum()
    {
        ParseProduct();
        for (;;) {
            SkipBlanks();
            const std::size_t at = m_pos;
            if (Accept('+')) {
                ParseProduct();
                EmitBinary(TFormula::opAdd, at);
            } else if (Accept('-')) {
                ParseProduct();
                EmitBinary(TFormula::opSub, at);
            } else {
                return;
            }
        }
    }

    void ParseProduct()
    {
        ParseUnary();
        for (;;) {
            SkipBlanks();
            const std::size_t at = m_pos;
            if (Accept('*')) {
                ParseUnary();
                EmitBinary(TFormula::opMul, at);
            } else if (Accept('/')) {
                ParseUnary();
                EmitBinary(TFormula::opDiv, at);
            } else {
                return;
            }
        }
    }

    // Every recursion of the grammar passes here.
    void ParseUnary()
    {
        SkipBlanks();
        const TNesting nesting(*this);
        const std::size_t at = m_pos;
        if (Accept('-')) {
            ParseUnary();
            EmitUnary(TFormula::opNeg, at);
        } else if (Accept('+')) {
            ParseUnary();
        } else {
            ParsePower();
        }
    }

    void ParsePower()
    {
        ParsePrimary();
        SkipBlanks();
        const std::size_t at = m_pos;
        if (AcceptPower()) {
            ParseUnary();
            EmitBinary(TFormula::opPow, at);
        }
    }

    void ParsePrimary()
    {
        SkipBlanks();
        const std::size_t at = m_pos;
        if (m_pos >= m_text.size()) Fail(ffExpectedOperand);
        const char c = m_text[m_pos];
        if (IsDigit(c) || (c == '.' && m_pos + 1 < m_text.size() && IsDigit(m_text[m_pos + 1]))) {
            {
            const long double value = ParseNumber();
            EmitLeaf({TFormula::opConst, static_cast<double>(value), value}, false);
        }
        } else if (IsNameStart(c)) {
            ParseName();
        } else if (Accept('(')) {
            ParseSum();
            SkipBlanks();
            if (!Accept(')')) Fail(ffExpectedCloseParen);
        } else {
            Fail(ffExpectedOperand, {}, at);
        }
    }

    long double ParseNumber()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) ++m_pos;
        if (Accept('.'))
            while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) ++m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            ++m_pos;
            if (!Accept('+')) Accept('-');
            if (m_pos >= m_text.size() || !IsDigit(m_text[m_pos])) Fail(ffExpectedExponent);
            while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) ++m_pos;
        }
        long double value = 0.0L;
        // from_chars reads the decimal text correctly rounded; it takes no leading '.', so a
        // "0" goes in front of ".5".
        const std::string digits = (m_text[start] == '.' ? "0" : "") + m_text.substr(start, m_pos - start);
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (result.ec == std::errc::result_out_of_range || std::abs(value) > std::numeric_limits<double>::max())
            Fail(ffOverflow, {}, start);
        return value;  // an underflow reads as 0 or a denormal
    }

    void ParseName()
    {
        const std::size_t at = m_pos;
        const std::string name(PeekName());
        m_pos += name.size();
        for (const auto& [function, op] : kFunctions) {
            if (name != function) continue;
            SkipBlanks();
            if (!Accept('(')) Fail(ffExpectedOpenParen, name);
            ParseSum();
            SkipBlanks();
            if (!Accept(')')) Fail(ffExpectedCloseParen);
            EmitUnary(op, at);
            return;
        }
        if (name == "y") Fail(ffResponseOnRight, {}, at);
        if (name == "x") return EmitLeaf({TFormula::opX}, false);
        if (name == "pi") return EmitLeaf({TFormula::opConst, std::numbers::pi, std::numbers::pi_v<long double>}, false);
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == '(') Fail(ffUnknownFunction, name, at);
        EmitLeaf({TFormula::opParam, 0.0, 0.0L, ParameterIndex(name)}, true);
    }

    int ParameterIndex(const std::string& name)
    {
        auto& names = m_formula.m_parameters;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        names.push_back(name);
        return static_cast<int>(names.size()) - 1;
    }

    void EmitLeaf(TFormula::TInstruction instruction, bool varies)
    {
        m_formula.m_program.push_back(instruction);
        m_varies.push_back(varies);
        m_formula.m_stackDepth = std::max(m_formula.m_stackDepth, static_cast<int>(m_varies.size()));
    }
    void EmitUnary(TOp op, std::size_t at)
    {
        TFormula::TInstruction instruction{op};
        instruction.Position = static_cast<int>(at) + 1;
        instruction.LeftVaries = m_varies.back();
        m_formula.m_program.push_back(instruction);
    }
    void EmitBinary(TOp op, std::size_t at)
    {
        TFormula::TInstruction instruction{op};
        instruction.Position = static_cast<int>(at) + 1;
        instruction.RightVaries = m_varies.back();
        m_varies.pop_back();
        instruction.LeftVaries = m_varies.back();
        m_varies.back() = instruction.LeftVaries || instruction.RightVaries;
        m_formula.m_program.push_back(instruction);
    }

    TFormula& m_formula;
    const std::string& m_text;
    std::size_t m_pos = 0;
    int m_depth = 0;
    std::vector<bool> m_varies;  // the simulated stack: does the slot depend on the parameters?
};

TFormula::TFormula(std::string_view text) : m_text(text)
{
    TFormulaParser(*this).ParseFormula();
}

// ---------------------------------------------------------------------------------------------
// Evaluation

template <class T, bool WithGradient>
T TFormula::Run(T x, std::span<const double> b, T* gradientOut, std::vector<T>& stack) const
{
    const int k = ParameterCount();
    const int stride = WithGradient ? k + 1 : 1;
    T* next = stack.data();  // the first free slot; the top of the stack is the slot before it
    auto gradient = [](auto* slot) { return slot + 1; };

    for (const TInstruction& in : m_program) {
        auto fail = [&](TFormulaFault code, T value = 0, std::string argument = {}) {
            throw EFormulaError(code, in.Position, std::move(argument), static_cast<double>(value));
        };
        switch (in.Op) {
        case opConst:
            next[0] = std::is_same_v<T, double> ? in.Constant : in.ConstantExtended;
            next += stride;
            continue;
        case opX:
            next[0] = x;
            next += stride;
            continue;
        case opParam:
            next[0] = b[in.Parameter];
            if constexpr (WithGradient) {
                std::fill(gradient(next), gradient(next) + k, T(0));
                gradient(next)[in.Parameter] = 1.0;
            }
            next += stride;
            continue;
        default:
            break;
        }

        if (in.Op <= opPow) {  // binary: the left operand's slot receives the result
            T* left = next - 2 * stride;
            const T* right = next - stride;
            const T l = left[0];
            const T r = right[0];
            T* gl = gradient(left);
            const T* gr = gradient(right);
            T result = 0;
            switch (in.Op) {
            case opAdd:
                result = l + r;
                if constexpr (WithGradient) {
                    if (in.LeftVaries && in.RightVaries) for (int j = 0; j < k; ++j) gl[j] += gr[j];
                    else if (in.RightVaries) std::copy(gr, gr + k, gl);
                }
                break;
            case opSub:
                result = l - r;
                if constexpr (WithGradient) {
                    if (in.LeftVaries && in.RightVaries) for (int j = 0; j < k; ++j) gl[j] -= gr[j];
                    else if (in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = -gr[j];
                }
                break;
            case opMul:
                result = l * r;
                if constexpr (WithGradient) {
                    if (in.LeftVaries && in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = gl[j] * r + gr[j] * l;
                    else if (in.LeftVaries) for (int j = 0; j < k; ++j) gl[j] *= r;
                    else if (in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = gr[j] * l;
                }
                break;
            case opDiv:
                if (r == 0.0) fail(ffDivisionByZero);
                result = l / r;
                if constexpr (WithGradient) {
                    // d(l/r) = (dl - (l/r) dr) / r
                    if (in.LeftVaries && in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = (gl[j] - result * gr[j]) / r;
                    else if (in.LeftVaries) for (int j = 0; j < k; ++j) gl[j] /= r;
                    else if (in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = -result * gr[j] / r;
                }
                break;
            default:  // opPow
                if (in.RightVaries) {
                    // l^r = exp(r ln l) needs l > 0 when the exponent moves; at l = 0 the value
                    // is 0 for r > 0 and the exponent's part of the derivative vanishes.
                    if (l < 0.0) fail(ffPowerOfNegative, l);
                    if (l == 0.0 && r <= 0.0) fail(ffZeroToNegativePower, r);
                } else {
                    if (l < 0.0 && r != std::nearbyint(r)) fail(ffPowerOfNegative, l);
                    if (l == 0.0 && r < 0.0) fail(ffZeroToNegativePower, r);
                }
                result = std::pow(l, r);
                if constexpr (WithGradient) {
                    // d(l^r) = r l^(r-1) dl + l^r ln(l) dr
                    T byLeft = 0;
                    if (in.LeftVaries) {
                        if (l == 0 && r < 1 && r != 0) fail(ffNoDerivative, 0, "^");
                        byLeft = r == 0.0 ? 0.0 : r * std::pow(l, r - 1.0);
                    }
                    const T byRight = (in.RightVaries && l > 0.0) ? result * std::log(l) : 0.0;
                    if (in.LeftVaries && in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = byLeft * gl[j] + byRight * gr[j];
                    else if (in.LeftVaries) for (int j = 0; j < k; ++j) gl[j] *= byLeft;
                    else if (in.RightVaries) for (int j = 0; j < k; ++j) gl[j] = byRight * gr[j];
                }
                break;
            }
            if (!InDoubleRange(result)) fail(ffOverflow);
            left[0] = result;
            next -= stride;
            continue;
        }

        // unary: the operand's slot receives the result; `slope` is df/du
        T* top = next - stride;
        const T u = top[0];
        T result = 0;
        T slope = 0;
        switch (in.Op) {
        case opNeg:
            result = -u;
            slope = -1.0;
            break;
        case opExp:
            if (u > kExpLimit) fail(ffOverflow);
            result = std::exp(u);
            slope = result;
            break;
        case opLn:
            if (u <= 0.0) fail(ffLogOfNonPositive, u, "ln");
            result = std::log(u);
            slope = 1.0 / u;
            break;
        case opLog10:
            if (u <= 0.0) fail(ffLogOfNonPositive, u, "log10");
            result = std::log10(u);
            slope = 1.0 / (u * std::numbers::ln10_v<T>);
            break;
        case opSqrt:
            if (u < 0.0) fail(ffSqrtOfNegative, u);
            result = std::sqrt(u);
            if (WithGradient && in.LeftVaries && result == 0) fail(ffNoDerivative, 0, "sqrt");
            slope = result == 0.0 ? 0.0 : 0.5 / result;
            break;
        case opSin:
            result = std::sin(u);
            slope = std::cos(u);
            break;
        case opCos:
            result = std::cos(u);
            slope = -std::sin(u);
            break;
        case opTan:
            result = std::tan(u);
            slope = 1.0 + result * result;
            break;
        case opAtan:
            result = std::atan(u);
            // 1 / (1 + u^2), without squaring a u whose square overflows
            slope = std::abs(u) > 1e150 ? 1.0 / u / u : 1.0 / (1.0 + u * u);
            break;
        default:  // opAbs; its slope at 0 is taken as 0
            result = std::abs(u);
            slope = u > 0.0 ? 1.0 : (u < 0.0 ? -1.0 : 0.0);
            break;
        }
        if (!InDoubleRange(result)) fail(ffOverflow);
        top[0] = result;
        if constexpr (WithGradient) {
            if (in.LeftVaries) {
                if (!InDoubleRange(slope)) fail(ffOverflow);
                T* g = gradient(top);
                for (int j = 0; j < k; ++j) g[j] *= slope;
            }
        }
    }

    if constexpr (WithGradient) {
        const T* g = gradient(stack.data());
        for (int j = 0; j < k; ++j) {
            if (!InDoubleRange(g[j])) throw EFormulaError(ffOverflow, 0);
            gradientOut[j] = g[j];
        }
    }
    return stack[0];
}

namespace {
void CheckParameters(std::span<const double> b, int expected)
{
    if (b.size() != static_cast<std::size_t>(expected))
        throw EQZLMath2Error(ecParameterCount, {std::to_string(expected), std::to_string(b.size())});
    for (double v : b)
        if (!std::isfinite(v)) throw EQZLMath2Error(ecParameterNotFinite);
}

template <class T>
void CheckPoint(T x, std::size_t i)
{
    if (!InDoubleRange(x)) throw EQZLMath2Error(ecFormulaXNotFinite, {std::to_string(i + 1)});
}
}  // namespace

double TFormula::Value(double x, std::span<const double> b) const
{
    CheckParameters(b, ParameterCount());
    CheckPoint(x, 0);
    std::vector<double> stack(m_stackDepth);
    return Run<double, false>(x, b, nullptr, stack);
}

void TFormula::Evaluate(std::span<const double> x, std::span<const double> b, std::span<double> values,
                        std::span<double> jacobian) const
{
    CheckParameters(b, ParameterCount());
    const std::size_t n = x.size();
    const std::size_t k = b.size();
    if (values.size() != n || jacobian.size() != n * k)
        throw EQZLMath2Error(ecJacobianSpans);
    std::vector<double> stack(m_stackDepth * (k + 1));
    std::vector<double> gradient(k);
    for (std::size_t i = 0; i < n; ++i) {
        CheckPoint(x[i], i);
        try {
            values[i] = Run<double, true>(x[i], b, gradient.data(), stack);
        } catch (const EFormulaError& e) {
            throw EFormulaError(e.Code, e.Position, e.Argument, e.Value, static_cast<int>(i) + 1, x[i]);
        }
        for (std::size_t j = 0; j < k; ++j) jacobian[j * n + i] = gradient[j];
    }
}

template <class T>
void TFormula::EvaluateValues(std::span<const T> x, std::span<const double> b, std::span<T> values) const
{
    CheckParameters(b, ParameterCount());
    if (values.size() != x.size()) throw EQZLMath2Error(ecValueSpans);
    std::vector<T> stack(m_stackDepth);
    for (std::size_t i = 0; i < x.size(); ++i) {
        CheckPoint(x[i], i);
        try {
            values[i] = Run<T, false>(x[i], b, nullptr, stack);
        } catch (const EFormulaError& e) {
            throw EFormulaError(e.Code, e.Position, e.Argument, e.Value, static_cast<int>(i) + 1, static_cast<double>(x[i]));
        }
    }
}

void TFormula::Evaluate(std::span<const double> x, std::span<const double> b, std::span<double> values) const
{
    EvaluateValues(x, b, values);
}

void TFormula::EvaluateExtended(std::span<const long double> x, std::span<const double> b,
                                std::span<long double> values) const
{
    EvaluateValues(x, b, values);
}
