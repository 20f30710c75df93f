// kalmira-fit on the certified polynomial data sets reaches the accuracy the README states: the
// figures come from the file scripts/accuracy.sh writes, so the table and this test move together.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fitprogram.h"

namespace {

struct TFigure {
    std::string set, model;
    double digits = 0, lowest = 0;
    // The smallest LRE of the standard deviations, the LRE of the residual standard deviation,
    // of R^2 and of F ("-" where the certified F is infinite).
    std::string lowestSd, residualSd, rSquared, f;
};

std::vector<TFigure> ReadFigures()
{
    std::ifstream in(KALMIRA_ACCURACY_TABLE);
    std::vector<TFigure> figures;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        TFigure f;
        if (fields >> f.set >> f.model >> f.digits >> f.lowest >> f.lowestSd >> f.residualSd >> f.rSquared >> f.f)
            figures.push_back(f);
    }
    return figures;
}

struct TCertified {
    std::vector<std::string> b, sd;  // B0, B1, ... and their standard deviations as printed
    std::string residualSd, rSquared, f;
    int firstDataLine = 0;
};

TCertified ReadCertified(const std::string& path)
{
    std::ifstream in(path);
    TCertified c;
    const std::regex range(R"(Data\s+\(lines\s+(\d+)\s+to\s+\d+\))");
    const std::regex param(R"(^\s+B(\d+)\s+(\S+)\s+(\S+))");
    const std::regex residual(R"(^\s+Standard Deviation\s+(\S+))");
    const std::regex r2(R"(^\s+R-Squared\s+(\S+))");
    const std::regex regression(R"(^Regression\s+\d+\s+\S+\s+\S+\s+(\S+))");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (c.firstDataLine == 0 && std::regex_search(line, m, range)) {
            c.firstDataLine = std::stoi(m[1]);
        } else if (std::regex_search(line, m, param)) {
            c.b.push_back(m[2]);
            c.sd.push_back(m[3]);
        } else if (std::regex_search(line, m, residual)) {
            c.residualSd = m[1];
        } else if (std::regex_search(line, m, r2)) {
            c.rSquared = m[1];
        } else if (std::regex_search(line, m, regression)) {
            c.f = m[1];
        }
    }
    return c;
}

// Correct significant digits of `fitted`, at most `digits`.
double Lre(double fitted, double certified, double digits)
{
    if (fitted == certified) return digits;
    const double error = certified == 0 ? std::fabs(fitted) : std::fabs((fitted - certified) / certified);
    return std::clamp(-std::log10(error), 0.0, digits);
}

std::string CoefficientName(const std::string& model, std::size_t j)
{
    if (model == "line") return j == 0 ? "d" : "k";
    if (model == "parabola") return "k" + std::to_string(j);
    return "c" + std::to_string(j);
}

TEST(NistAccuracy, ReachesTheFiguresOfTheReadme)
{
    const std::vector<TFigure> figures = ReadFigures();
    ASSERT_FALSE(figures.empty());
    for (const TFigure& f : figures) {
        SCOPED_TRACE(f.set + " " + f.model);
        const std::string path = std::string(KALMIRA_NIST_DIR) + "/" + f.set + ".dat";
        const TCertified certified = ReadCertified(path);
        ASSERT_FALSE(certified.b.empty());
        std::ostringstream out, err;
        const int status = RunFitProgram({"--model", f.model, "--skip", std::to_string(certified.firstDataLine - 1),
                                          "--columns", "2,1", "--format", "csv", path},
                                         out, err);
        ASSERT_EQ(status, 0) << err.str();
        std::map<std::string, double> items;
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);) {
            const std::size_t a = line.find(','), b = line.rfind(',');
            const std::string value = line.substr(b + 1);
            double v = 0;
            std::from_chars(value.data(), value.data() + value.size(), v);
            items[line.substr(a + 1, b - a - 1)] = v;
        }
        double lowest = f.digits;
        for (std::size_t j = 0; j < certified.b.size(); ++j) {
            const std::string name = CoefficientName(f.model, j);
            ASSERT_TRUE(items.count(name)) << name;
            lowest = std::min(lowest, Lre(items[name], std::stod(certified.b[j]), f.digits));
        }
        EXPECT_GE(lowest, f.lowest - 0.3);

        // The statistics: a certified 0 (an exact fit) has as many digits as it is printed with.
        const auto holds = [&](const std::string& item, const std::string& certified, const std::string& figure) {
            SCOPED_TRACE(item);
            if (figure == "-") return;
            ASSERT_TRUE(items.count(item));
            const double c = std::stod(certified);
            EXPECT_GE(Lre(items[item], c, c == 0 ? 15 : f.digits), std::stod(figure) - 0.3) << items[item];
        };
        double lowestSd = f.digits;
        for (std::size_t j = 0; j < certified.sd.size(); ++j) {
            const std::string name = "std_error:" + CoefficientName(f.model, j);
            ASSERT_TRUE(items.count(name)) << name;
            const double c = std::stod(certified.sd[j]);
            lowestSd = std::min(lowestSd, Lre(items[name], c, c == 0 ? 15 : f.digits));
        }
        EXPECT_GE(lowestSd, std::stod(f.lowestSd) - 0.3);
        holds("residual_std_error", certified.residualSd, f.residualSd);
        holds("quality", certified.rSquared, f.rSquared);
        holds("f_statistic", certified.f, f.f);
    }
}

}  // namespace
