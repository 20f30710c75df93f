// kalmira-fit run as a process: what scripts see of it, its exit status, standard output and
// standard error, for a table of inputs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Folder()
{
    return ::testing::TempDir() + "cli_process_" + std::to_string(::getpid()) + "_";
}

std::string ShellQuoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs kalmira-fit with `args`; `input` goes to its standard input.
TRun RunFit(const std::vector<std::string>& args, const std::string& input = {})
{
    const std::string base = Folder();
    std::ofstream(base + "stdin", std::ios::binary) << input;
    std::string command = ShellQuoted(KALMIRA_FIT_PATH);
    for (const std::string& a : args) command += " " + ShellQuoted(a);
    command += " < " + ShellQuoted(base + "stdin") + " > " + ShellQuoted(base + "stdout") + " 2> " +
               ShellQuoted(base + "stderr");
    TRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(base + "stdout");
    run.err = Slurp(base + "stderr");
    return run;
}

std::string WriteInput(const std::string& name, const std::string& bytes)
{
    const std::string path = Folder() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Each readable form holds the points (1.5, 2.5) and (3.5, 4.5): the line y = x + 1.
struct ReadableCase {
    const char* name;
    std::string text;
    std::vector<std::string> options;
};

const ReadableCase kReadable[] = {
    {"SemicolonDecimalComma", "1,5;2,5\n3,5;4,5\n", {}},
    {"Comma", "1.5,2.5\n3.5,4.5\n", {}},
    {"BlankDecimalComma", "1,5 2,5\n3,5 4,5\n", {}},
    {"Tabs", "1.5\t2.5\n3.5\t4.5\n", {}},
    {"CrOnly", "1.5 2.5\r3.5 4.5\r", {}},
    {"ByteOrderMark", "\xEF\xBB\xBF" "1.5;2.5\r\n3.5;4.5\r\n", {}},
    {"Header", "x,y\n1.5,2.5\n3.5,4.5\n", {}},
    {"ColumnsSwappedAndSkipped", "junk line\n2.5 0 1.5\n4.5 0 3.5\n", {"--skip", "1", "--columns", "3,1"}},
    {"DataFile",
     "Data exported from QZL TCurveFit\r\n2\t;nr. of columns\r\n2\t;nr. of rows\r\n"
     "FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n1.500000\t2.500000\r\n"
     "3.500000\t4.500000\r\n",
     {}},
    {"QuotedWithRowLabels", "\"\",\"x\",\"y\"\n\"1\",\"1.5\",2.5\n\"2\",3.5,\"4.5\"\n", {}},
    {"EmptyCellsAtTheEnds", ",,\nx,y,\n1.5,2.5,\n3.5,4.5,,\n,,\n,,,\n", {}},
};

class FitReads : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(FitReads, TheLineThroughItsPoints)
{
    const ReadableCase& tc = GetParam();
    std::vector<std::string> args = tc.options;
    args.insert(args.end(), {"--format", "csv", WriteInput("in.txt", tc.text)});
    const TRun run = RunFit(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "model,item,value\nline,k,1\nline,d,1\nline,quality,1\nline,points,2\nline,rss,0\nline,dof,0\n");
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(Cli, FitReads, ::testing::ValuesIn(kReadable),
                         [](const auto& info) { return std::string(info.param.name); });

// Bad input: its message on standard error, its exit status, nothing on standard output.
struct BadCase {
    const char* name;
    std::string text;  // the file's bytes
    std::vector<std::string> options;
    int status;
    std::string message;  // standard error holds this
};

const std::string kLongLine(std::size_t{1} << 20, '7');

const BadCase kBad[] = {
    {"EmptyFile", "", {}, 2, "in.txt: no data rows"},
    {"OnlyAHeader", "x;y\n", {}, 2, "in.txt: no data rows"},
    {"MissingY", "1 2\n3\n", {}, 2, "in.txt:2: no value in column 2: \"3\""},
    {"ThirdColumn", "1,2,3\n", {}, 2, "in.txt:1: a value in column 3, but a row holds x and y only"},
    {"Nan", "1 2\nnan 3\n", {}, 2, "in.txt:2: column 1: \"nan\" is not a finite number"},
    {"Inf", "1 2\n3 -inf\n", {}, 2, "in.txt:2: column 2: \"-inf\" is not a finite number"},
    {"Overflow", "1 2\n1e400 3\n", {}, 2, "in.txt:2: column 1: \"1e400\" is beyond the range of double-precision numbers"},
    {"LineOf1MB", "1 2\n" + kLongLine + "\n", {}, 2, "in.txt:2: the line is longer than 1000000 bytes: \"7777"},
    {"Binary", std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16), {}, 2, "in.txt:3: a NUL byte: this is not a text file"},
    {"InvalidUtf8", "1 2\n3 4\xFF\n", {}, 2, "in.txt:2: the line is not valid UTF-8: \"3 4\\xFF\""},
    {"NA", "1 2\n3 NA\n", {}, 2, "in.txt:2: column 2: \"NA\" marks a missing value; --skip-missing passes over such rows"},
    {"ColumnBeyondEveryRow", "1,2,3\n", {"--columns", "2,99"}, 2,
     "in.txt:1: no value in column 99: \"1,2,3\"; the line holds 3 values; the columns found: 1 \"1\", 2 \"2\", 3 \"3\""},
    {"HeaderNotRecognised", "t;1/T\n1;2\n", {}, 2,
     "in.txt:1: column 1: \"t\" is not a finite number; the columns found: 1 \"t\", 2 \"1/T\"; if line 1 holds column "
     "names, use --skip 1"},
    {"LabelColumn", "Nr;x;y\nA;1;2\n", {}, 2,
     "the header names the columns 1 \"Nr\", 2 \"x\", 3 \"y\"; to read columns 2 and 3, which hold numbers, use "
     "--columns 2,3"},
    {"OnlyMissingValues", "1 NA\n", {"--skip-missing"}, 2, "in.txt: no data rows (1 row with a missing value skipped"},
    {"UnknownModel", "1 2\n3 4\n", {"--model", "cubic"}, 2, "kalmira-fit: unknown model 'cubic'"},
    {"Poly11", "1 2\n3 4\n", {"--model", "poly:11"}, 2, "poly:N takes an order N from 0 to 10, not '11'"},
    {"Spline2", "1 2\n3 4\n", {"--model", "spline:2"}, 2, "spline:F takes a smoothing factor F from 0 to 1, not '2'"},
    {"BadColumns", "1 2\n3 4\n", {"--columns", "0,1"}, 2, "--columns takes the columns of x and y"},
    {"UnknownOption", "1 2\n3 4\n", {"--fast"}, 2, "kalmira-fit: unknown option '--fast'"},
    {"OnePoint", "1 2\n", {}, 1, "CalcLinFit: not enough data points."},
    {"LogOfZero", "0 1\n1 2\n2 3\n", {"--model", "log"}, 1, "CalcLogFit: x values must not be negative or zero."},
    {"TooFewForPoly", "0 1\n1 2\n2 3\n", {"--model", "poly:3"}, 1, "kalmira-fit: poly:3 needs at least 4 points; the data hold 3"},
    {"AllModelsFail", "1 2\n", {"--model", "all"}, 1, ""},
    // Every x the same: the logarithmic regression divides zero by zero.
    {"FloatingPointFault", "2 1\n2 2\n2 3\n", {"--model", "log"}, 1, "kalmira-fit: log: invalid floating-point operation"},
};

class FitRefuses : public ::testing::TestWithParam<BadCase> {};

TEST_P(FitRefuses, WithItsMessageAndStatus)
{
    const BadCase& tc = GetParam();
    std::vector<std::string> args = tc.options;
    args.push_back(WriteInput("in.txt", tc.text));
    const TRun run = RunFit(args);
    EXPECT_EQ(run.status, tc.status);
    EXPECT_NE(run.err.find(tc.message), std::string::npos) << run.err;
    if (tc.status == 2 || tc.options.empty()) {
        EXPECT_EQ(run.out, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, FitRefuses, ::testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FitProgram, SkipsRowsWithAMissingValueAndSaysSo)
{
    const TRun run = RunFit({"--skip-missing", "--format", "csv",
                             WriteInput("in.txt", "x;y\n1,5;2,5\n2;\n2;NA\n3,5;4,5\n7\n;;\n")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "model,item,value\nline,k,1\nline,d,1\nline,quality,1\nline,points,2\nline,rss,0\nline,dof,0\n");
    EXPECT_EQ(run.err, "kalmira-fit: " + Folder() + "in.txt: 3 rows with a missing value skipped, the first in line 3\n");
}

// Every table of the examples folder is read and fitted; the table lists each file, so a new
// one is checked as well.
TEST(FitProgram, RunsOnEveryExample)
{
    const std::map<std::string, std::string> points = {
        {"Norris.csv", "36"}, {"Pontius.csv", "40"}, {"Wampler1.csv", "21"},
        {"Filip.csv", "82"},  {"growth.csv", "5"},   {"cfit.asc", "10"},
        {"Misra1a.csv", "14"}, {"yeast.csv", "19"},
    };
    std::set<std::string> seen;
    for (const auto& entry : std::filesystem::directory_iterator(KALMIRA_EXAMPLES_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name == "README.md" || name.starts_with(".")) continue;
        SCOPED_TRACE(name);
        seen.insert(name);
        ASSERT_TRUE(points.count(name)) << "an example file without its point count here";
        const TRun run = RunFit({"--model", "all", "--format", "csv", entry.path().string()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("line,points," + points.at(name) + "\n"), std::string::npos) << run.out;
        // Tied x (Norris repeats some) are smoothed, not refused.
        EXPECT_NE(run.out.find("spline:0.5,quality,"), std::string::npos) << run.out;
    }
    EXPECT_EQ(seen.size(), points.size());
}

TEST(FitRefuses, FilesThatCannotBeRead)
{
    const TRun missing = RunFit({Folder() + "missing.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot open " + Folder() + "missing.txt: No such file or directory"), std::string::npos)
        << missing.err;
    const TRun directory = RunFit({::testing::TempDir()});
    EXPECT_EQ(directory.status, 2);
    EXPECT_NE(directory.err.find("Is a directory"), std::string::npos) << directory.err;
    const TRun none = RunFit({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no FILE given"), std::string::npos);
}

TEST(FitProgram, ReadsStandardInputAndAnswersHelp)
{
    const TRun piped = RunFit({"--format", "json", "-"}, "0 1\n1 3\n");
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, "{\"model\": \"line\", \"formula\": \"y = k*x + d\", \"parameters\": {\"k\": 2, \"d\": 1}, "
                         "\"quality\": 1, \"points\": 2, \"statistics\": {\"n\": 2, \"dof\": 0, \"rss\": 0, "
                         "\"residual_std_error\": null, \"r_squared\": 1, \"adj_r_squared\": null, \"f_statistic\": "
                         "null, \"f_p_value\": null, \"aic\": null, \"bic\": null}}\n");
    const TRun bad = RunFit({"-"}, "0 1\nx 3\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("standard input:2: column 1: \"x\" is not a finite number"), std::string::npos) << bad.err;

    const TRun help = RunFit({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("y = 1/(k0 + k1*ln(x))"), std::string::npos);
    EXPECT_NE(help.out.find("Example:"), std::string::npos);
}

// A polynomial of order 1 and the line through the same points give the same value far out: the
// polynomial forms no power beyond its last term.
TEST(FitProgram, APolynomialOfOrderOneAgreesWithTheLine)
{
    const TRun run = RunFit({"--model", "poly:1,line", "--at", "1e200", "--format", "csv", "-"}, "0 1\n1 3\n2 5\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("poly:1,y(9.9999999999999997e+199),1.9999999999999999e+200\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("line,y(9.9999999999999997e+199),1.9999999999999999e+200\n"), std::string::npos) << run.out;
}

}  // namespace
