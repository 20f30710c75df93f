#pragma once
// The model formula language: a text such as "y = b1*(1-exp(-b2*x))" compiled into a small
// program that evaluates the model f(x; b) and its exact derivatives with respect to every
// parameter, for nonlinear least squares. No Qt.
//
//   formula  := ["y" "="] sum
//   sum      := product (("+" | "-") product)*
//   product  := unary (("*" | "/") unary)*
//   unary    := ("-" | "+") unary | power
//   power    := primary [("^" | "**") unary]           right-associative: 2^3^2 = 2^9
//   primary  := number | "x" | "pi" | function "(" sum ")" | parameter | "(" sum ")"
//
// Numbers are decimal with an optional exponent (12, 0.5, .5, 1e-3, 2.5E+4). The functions are
// exp, ln, log10, sqrt, sin, cos, tan, atan and abs. Every other name is a parameter; parameters
// are numbered in the order of their first appearance. Names are case-sensitive. Unary minus
// binds weaker than the power: -x^2 is -(x^2).
#include "common/errors.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// What went wrong with a formula is one of the ff codes of TErrorCode (common/errorcode.h): parse
// errors and faults of an evaluation.
using TFormulaFault = TErrorCode;

// The deepest nesting a formula may have; the parser recurses once a level, so a text of a
// million '(' ends in an error, not in a stack overflow.
constexpr int kMaxFormulaNesting = 200;

// A formula error: the fault (Code, one of the ff codes), the 1-based character position in the
// formula's text of the token at fault (0 when no single place is at fault), its argument (a name
// or a number) and, for a fault of an evaluation, the 1-based number of the point and its x. The message reads
// "position 7: expected a number, a name or '('" or "position 4: ln of -2, a number <= 0, at
// point 3 (x = 0.5)".
class EFormulaError : public EQZLMath2Error {
public:
    EFormulaError(TFormulaFault code, int position, std::string argument = {}, double value = 0.0, int point = 0,
                  double x = 0.0);
    int Position;
    std::string Argument;  // the name of a function or operation
    double Value;          // the domain faults: the argument that has no value
    int Point;             // the point being evaluated, counted from 1; 0 for a parse error
    double X;              // its x
};

// A compiled formula. Evaluation is const and keeps no state, so one formula serves any number
// of fits and threads at once.
//
// We parse with our own recursive-descent parser rather than a library such as muparser: the
// least-squares fit needs the exact derivatives of the model with respect to its parameters,
// which a general expression evaluator does not give. The compiled program carries every value
// together with its gradient (forward-mode automatic differentiation), so the Jacobian is exact
// to rounding; finite differences lose the digits that the hard problems need.
class TFormula {
public:
    // Compiles `text`; throws EFormulaError for a text that does not parse.
    explicit TFormula(std::string_view text);

    // properties
    const std::string& Text() const { return m_text; }
    const std::vector<std::string>& Parameters() const { return m_parameters; }  // b1, b2, ...
    int ParameterCount() const { return static_cast<int>(m_parameters.size()); }

    // operations
    // f(x; b), with b in the order of Parameters(). A point without a value (ln of a negative
    // number, a division by 0, an overflow) throws EFormulaError; an x or b that is not finite,
    // or b of the wrong length, EQZLMath2Error (so do the other evaluations).
    double Value(double x, std::span<const double> b) const;

    // f(x_i; b) into values[i] and the derivative df/db_j (x_i) into jacobian[j * n + i] (column
    // major, n = x.size()), for every point; throws EFormulaError at the first point without a
    // value or derivative.
    void Evaluate(std::span<const double> x, std::span<const double> b, std::span<double> values,
                  std::span<double> jacobian) const;

    // f(x_i; b) into values[i], without derivatives.
    void Evaluate(std::span<const double> x, std::span<const double> b, std::span<double> values) const;

    // f(x_i; b) in extended precision (long double), without derivatives: residuals at a
    // solution, where y and f agree in most of their digits, keep the digits that double loses.
    void EvaluateExtended(std::span<const long double> x, std::span<const double> b, std::span<long double> values) const;

    enum TOpCode { opConst, opX, opParam, opAdd, opSub, opMul, opDiv, opPow, opNeg,
                   opExp, opLn, opLog10, opSqrt, opSin, opCos, opTan, opAtan, opAbs };

    // One step of the compiled program, which runs on a stack of (value, gradient) pairs.
    struct TInstruction {
        TOpCode Op;
        double Constant = 0.0;   // opConst
        long double ConstantExtended = 0.0L;  // the same constant, rounded to long double
        int Parameter = 0;       // opParam: the 0-based parameter index
        int Position = 0;        // the 1-based position of its operator in the text
        bool LeftVaries = false; // the (left) operand depends on the parameters
        bool RightVaries = false;// the right operand depends on the parameters
    };

private:
    friend class TFormulaParser;
    template <class T, bool WithGradient>
    T Run(T x, std::span<const double> b, T* gradient, std::vector<T>& stack) const;
    template <class T>
    void EvaluateValues(std::span<const T> x, std::span<const double> b, std::span<T> values) const;

    std::string m_text;
    std::vector<std::string> m_parameters;
    std::vector<TInstruction> m_program;
    int m_stackDepth = 0;
};

// A number as a formula's messages write it: the shortest text that reads back as the same double.
std::string FormulaNumberText(double v);
