#include "nist_nonlinear.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace {

struct TModelText {
    const char* Name;
    const char* Formula;
};

// The models as the files state them in words, written in the formula language.
constexpr std::array<TModelText, 26> kModels{{
    {"Bennett5", "y = b1 * (b2+x)^(-1/b3)"},
    {"BoxBOD", "y = b1*(1-exp(-b2*x))"},
    {"Chwirut1", "y = exp(-b1*x)/(b2+b3*x)"},
    {"Chwirut2", "y = exp(-b1*x)/(b2+b3*x)"},
    {"DanWood", "y = b1*x^b2"},
    {"ENSO", "y = b1 + b2*cos(2*pi*x/12) + b3*sin(2*pi*x/12) + b5*cos(2*pi*x/b4) + b6*sin(2*pi*x/b4)"
             " + b8*cos(2*pi*x/b7) + b9*sin(2*pi*x/b7)"},
    {"Eckerle4", "y = (b1/b2) * exp(-0.5*((x-b3)/b2)^2)"},
    {"Gauss1", "y = b1*exp(-b2*x) + b3*exp(-(x-b4)^2 / b5^2) + b6*exp(-(x-b7)^2 / b8^2)"},
    {"Gauss2", "y = b1*exp(-b2*x) + b3*exp(-(x-b4)^2 / b5^2) + b6*exp(-(x-b7)^2 / b8^2)"},
    {"Gauss3", "y = b1*exp(-b2*x) + b3*exp(-(x-b4)^2 / b5^2) + b6*exp(-(x-b7)^2 / b8^2)"},
    {"Hahn1", "y = (b1+b2*x+b3*x^2+b4*x^3) / (1+b5*x+b6*x^2+b7*x^3)"},
    {"Kirby2", "y = (b1 + b2*x + b3*x^2) / (1 + b4*x + b5*x^2)"},
    {"Lanczos1", "y = b1*exp(-b2*x) + b3*exp(-b4*x) + b5*exp(-b6*x)"},
    {"Lanczos2", "y = b1*exp(-b2*x) + b3*exp(-b4*x) + b5*exp(-b6*x)"},
    {"Lanczos3", "y = b1*exp(-b2*x) + b3*exp(-b4*x) + b5*exp(-b6*x)"},
    {"MGH09", "y = b1*(x^2+x*b2) / (x^2+x*b3+b4)"},
    {"MGH10", "y = b1 * exp(b2/(x+b3))"},
    {"MGH17", "y = b1 + b2*exp(-x*b4) + b3*exp(-x*b5)"},
    {"Misra1a", "y = b1*(1-exp(-b2*x))"},
    {"Misra1b", "y = b1 * (1-(1+b2*x/2)^(-2))"},
    {"Misra1c", "y = b1 * (1-(1+2*b2*x)^(-.5))"},
    {"Misra1d", "y = b1*b2*x*((1+b2*x)^(-1))"},
    {"Rat42", "y = b1 / (1+exp(b2-b3*x))"},
    {"Rat43", "y = b1 / ((1+exp(b2-b3*x))^(1/b4))"},
    {"Roszman1", "y = b1 - b2*x - atan(b3/(x-b4))/pi"},
    {"Thurber", "y = (b1 + b2*x + b3*x^2 + b4*x^3) / (1 + b5*x + b6*x^2 + b7*x^3)"},
}};

constexpr std::array<const char*, 26> kNames = [] {
    std::array<const char*, 26> names{};
    for (std::size_t i = 0; i < kModels.size(); ++i) names[i] = kModels[i].Name;
    return names;
}();

// Significant digits of a number as written: the mantissa's digits without leading zeros.
int SignificantDigits(const std::string& text)
{
    const std::string mantissa = text.substr(0, text.find_first_of("eE"));
    int digits = 0;
    bool leading = true;
    for (char c : mantissa) {
        if (c < '0' || c > '9') continue;
        if (leading && c == '0') continue;
        leading = false;
        ++digits;
    }
    return digits;
}

}  // namespace

std::span<const char* const> NistNonlinearNames() { return kNames; }

std::string NistNonlinearDir() { return KALMIRA_NIST_NONLINEAR_DIR; }

TNistProblem ReadNistProblem(const std::string& dir, const std::string& name)
{
    const auto model = std::find_if(kModels.begin(), kModels.end(), [&](const TModelText& m) { return name == m.Name; });
    if (model == kModels.end()) throw std::runtime_error("no model for the problem " + name);
    const std::string path = dir + "/" + name + ".dat";
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);

    TNistProblem problem;
    problem.Name = name;
    problem.Formula = model->Formula;
    const std::regex dataLines(R"(Data\s+\(lines\s+(\d+)\s+to\s+(\d+)\))");
    const std::regex parameter(R"(^\s*(b\d+)\s*=\s*(\S+)\s+(\S+)\s+(\S+)\s+(\S+)\s*$)");
    const std::regex difficulty(R"((Lower|Average|Higher) Level of Difficulty)");
    const std::regex rss(R"(Residual Sum of Squares:\s+(\S+))");
    int firstData = 0, lastData = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (firstData == 0 && std::regex_search(line, m, dataLines)) {
            firstData = std::stoi(m[1]);
            lastData = std::stoi(m[2]);
        } else if (std::regex_match(line, m, parameter)) {
            problem.Parameters.push_back({m[1], std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), std::stod(m[5]),
                                          SignificantDigits(m[4]), SignificantDigits(m[5])});
        } else if (std::regex_search(line, m, difficulty)) {
            problem.Difficulty = m[1];
        } else if (std::regex_search(line, m, rss)) {
            problem.Rss = std::stod(m[1]);
        } else if (firstData > 0 && number >= firstData && number <= lastData) {
            std::istringstream fields(line);
            double y = 0.0, x = 0.0;
            if (!(fields >> y >> x)) throw std::runtime_error(path + ":" + std::to_string(number) + ": not y x");
            problem.Y.push_back(y);
            problem.X.push_back(x);
        }
    }
    if (problem.Parameters.empty() || problem.X.empty() || problem.Difficulty.empty())
        throw std::runtime_error(path + ": not a NIST nonlinear problem file");
    return problem;
}

double LogRelativeError(double fitted, double certified, int digits)
{
    if (!std::isfinite(fitted)) return 0.0;
    const double error = std::abs(fitted - certified) / std::abs(certified);
    if (error == 0.0) return digits;
    return std::clamp(-std::log10(error), 0.0, double(digits));
}

const TNistParameter& NistParameter(const TNistProblem& problem, const std::string& name)
{
    for (const TNistParameter& p : problem.Parameters)
        if (p.Name == name) return p;
    throw std::runtime_error(problem.Name + " has no parameter " + name);
}

std::vector<double> NistStart(const TNistProblem& problem, const std::vector<std::string>& parameterNames, int start)
{
    std::vector<double> values;
    for (const std::string& name : parameterNames) {
        const TNistParameter& p = NistParameter(problem, name);
        values.push_back(start == 1 ? p.Start1 : p.Start2);
    }
    return values;
}
