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
};

std::vector<TFigure> ReadFigures()
{
    std::ifstream in(KALMIRA_ACCURACY_TABLE);
    std::vector<TFigure> figures;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        TFigure f;
        if (fields >> f.set >> f.model >> f.digits >> f.lowest) figures.push_back(f);
    }
    return figures;
}

struct TCertified {
    std::vector<std::string> b;  // B0, B1, ... as printed
    int firstDataLine = 0;
};

TCertified ReadCertified(const std::string& path)
{
    std::ifstream in(path);
    TCertified c;
    const std::regex range(R"(Data\s+\(lines\s+(\d+)\s+to\s+\d+\))");
    const std::regex param(R"(^\s+B(\d+)\s+(\S+))");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (c.firstDataLine == 0 && std::regex_search(line, m, range)) c.firstDataLine = std::stoi(m[1]);
        else if (std::regex_search(line, m, param)) c.b.push_back(m[2]);
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
    }
}

}  // namespace
