// kalmira-fit with the nonlinear models: a formula of the user's own with its starting values,
// the built-ins by name, and their failures, in text, CSV and JSON.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fitprogram.h"
#include "runfit.h"

namespace {

const std::string kMisra1a = std::string(KALMIRA_EXAMPLES_DIR) + "/Misra1a.csv";
const std::string kYeast = std::string(KALMIRA_EXAMPLES_DIR) + "/yeast.csv";
const std::string kMonomolecular = "y = b1*(1-exp(-b2*x))";

// Misra1a from NIST's first start to its certified values (b1 = 238.94212918, b2 =
// 5.5015643181e-4, standard deviations 2.7070075241 and 7.2668688436e-6, residual standard
// deviation 0.10187876330 on 12 degrees of freedom), keyed by the formula's own names.
TEST(NonlinearFitProgram, AFormulaWithItsStartInJson)
{
    const TOutput run =
        Fit({"--model", kMonomolecular, "--start", "b1=500,b2=1e-4", "--format", "json", "--digits", "9", kMisra1a});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* key : {"\"formula\": \"y = b1*(1-exp(-b2*x))\"", "\"parameters\": {\"b1\": 238.942129, \"b2\": 0.000550156432}",
                            "\"uncertainty\": {\"b1\": {\"std_error\": 2.70700752, ",
                            "\"b2\": {\"std_error\": 7.26686884e-06, ",
                            "\"statistics\": {\"n\": 14, \"dof\": 12, ",
                            "\"residual_std_error\": 0.101878763, ", "\"f_statistic\": null, \"f_p_value\": null",
                            "\"iterations\": "})
        EXPECT_NE(run.out.find(key), std::string::npos) << key << "\n" << run.out;
}

TEST(NonlinearFitProgram, ABuiltinInTextAndCsv)
{
    const TOutput text = Fit({"--model", "logistic", "--digits", "5", "--band", "9", kYeast});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* line : {"model       logistic\n", "formula     y = a/(1+exp(-b*(x-c)))\n", "iterations  ",
                             "parameter  estimate", "\nAIC ", "band at 95 %"})
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
    EXPECT_EQ(text.out.find("\nF "), std::string::npos) << text.out;

    const TOutput csv = Fit({"--model", "logistic", "--format", "csv", kYeast});
    ASSERT_EQ(csv.status, 0) << csv.err;
    for (const char* row : {"logistic,a,", "logistic,std_error:c,", "logistic,iterations,", "logistic,aic,"})
        EXPECT_NE(csv.out.find(row), std::string::npos) << row << "\n" << csv.out;
}

// A formula that does not parse is a usage error that says where and what was expected.
struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

const UsageCase kUsageCases[] = {
    {"OperandMissing", {"--model", "y = a*x +"}, "the formula 'y = a*x +' does not parse: position 10: expected"},
    {"UnknownFunction", {"--model", "y = a*sinh(x)"}, "position 7: "},
    {"StartOfNoParameter", {"--model", kMonomolecular, "--start", "b3=1"},
     "--start: the model 'y = b1*(1-exp(-b2*x))' has no parameter 'b3' (its parameters: b1, b2)"},
    {"StartNotANumber", {"--model", kMonomolecular, "--start", "b1=lots"}, "--start takes starting values"},
    {"StartTwice", {"--model", kMonomolecular, "--start", "b1=1,b1=2"}, "--start gives b1 twice"},
    {"StartForALine", {"--model", "line", "--start", "b1=1"}, "--start applies to a formula"},
};

class NonlinearUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(NonlinearUsage, IsAUsageError)
{
    const UsageCase& c = GetParam();
    std::vector<std::string> args = c.args;
    args.push_back(kMisra1a);
    const TOutput run = Fit(args);
    EXPECT_EQ(run.status, kExitBadInput);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

INSTANTIATE_TEST_SUITE_P(FitProgram, NonlinearUsage, ::testing::ValuesIn(kUsageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A fit that does not converge fails and says why, with no numbers that would read as a result.
TEST(NonlinearFitProgram, ANonConvergingFitFails)
{
    const TOutput run = Fit({"--model", "y = a*x + 0*c", kMisra1a});
    EXPECT_EQ(run.status, kExitFitFailed);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("kalmira-fit: y = a*x + 0*c: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("c"), std::string::npos) << run.err;
}

// "all" holds the built-ins; one that finds no start in the data fails in its own line.
TEST(NonlinearFitProgram, AllHoldsTheBuiltins)
{
    const std::string path = ::testing::TempDir() + "cli_nonlinear_" + std::to_string(::getpid()) + ".csv";
    {
        std::ofstream f(path);
        for (int i = -4; i <= 5; ++i) f << i << ',' << 3.0 + 0.5 * i + 0.01 * (i % 3) << '\n';
    }
    const TOutput run = Fit({"--model", "all", "--format", "csv", path});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* name : {"power", "logistic", "gauss", "saturation", "exp-offset", "exp-y"})
        EXPECT_NE(run.out.find(std::string("\n") + name + ","), std::string::npos) << name << "\n" << run.out;
    EXPECT_NE(run.out.find("saturation,error,saturation: no starting values: "), std::string::npos) << run.out;
    std::remove(path.c_str());
}

}  // namespace
