#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "table/tablereader.h"
#include "table/tablewriter.h"

namespace {

std::string TempPath(const std::string& name)
{
    return ::testing::TempDir() + "table_tests_" + std::to_string(::getpid()) + "_" + name;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Bits, so -0 differs from 0 and every NaN pattern would show.
std::vector<std::uint64_t> Bits(const std::vector<double>& v)
{
    std::vector<std::uint64_t> bits;
    for (double d : v) bits.push_back(std::bit_cast<std::uint64_t>(d));
    return bits;
}

// Values that are hard to write and read back: signed zeros, the ends of the range,
// denormals, and random doubles that need all 17 significant digits.
TTable AwkwardTable(int rows, std::uint64_t seed)
{
    const double fixed[] = {0.0, -0.0, 1e-300, -1e-300, 1e300, -1e300, std::numeric_limits<double>::denorm_min(),
                            -4.9406564584124654e-324, 2.2250738585072009e-308, std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(), 0.1,
                            0.30000000000000004, 1.0000000000000002, 123456789012345680.0};
    std::mt19937_64 rng(seed);
    TTable t;
    for (double v : fixed) {
        t.X.push_back(v);
        t.Y.push_back(-v);
    }
    for (int i = 0; i < rows; ++i) {
        // Random bit patterns cover every exponent, denormals included; NaN and infinity are
        // no table values.
        double x, y;
        do {
            x = std::bit_cast<double>(rng());
        } while (!std::isfinite(x));
        do {
            y = std::bit_cast<double>(rng());
        } while (!std::isfinite(y));
        t.X.push_back(x);
        t.Y.push_back(i % 3 == 0 ? std::ldexp(double(rng() >> 11), -53) : y);
    }
    return t;
}

struct RoundTripCase {
    const char* name;
    TTableLayout layout;
    char separator;
};

class TableRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(TableRoundTrip, GivesBackTheSameBits)
{
    const RoundTripCase& tc = GetParam();
    TTable table = AwkwardTable(2000, 7);
    table.ColumnNames = {"time", "value"};
    table.Comment = "written by a test";
    TTableWriteOptions write;
    write.Layout = tc.layout;
    write.Separator = tc.separator;
    const TTableReadResult read = ReadTableText(TableText(table, write));
    ASSERT_TRUE(read.Ok()) << read.Failure.Fault << " line " << read.Failure.Line << ": " << read.Failure.Found;
    EXPECT_EQ(Bits(read.Table.X), Bits(table.X));
    EXPECT_EQ(Bits(read.Table.Y), Bits(table.Y));
    EXPECT_EQ(read.Table.ColumnNames, table.ColumnNames);
    if (tc.layout == tlDataFile) {
        EXPECT_EQ(read.Table.Comment, table.Comment);
    }
}

const RoundTripCase kRoundTrips[] = {
    {"Tab", tlPlain, '\t'},        {"Comma", tlPlain, ','},
    {"Semicolon", tlPlain, ';'},   {"Blank", tlPlain, ' '},
    {"DataFile", tlDataFile, '\t'},
};
INSTANTIATE_TEST_SUITE_P(Table, TableRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TableRoundTrip, ThroughAFile)
{
    const TTable table = AwkwardTable(50000, 11);
    const std::string path = TempPath("roundtrip.txt");
    ASSERT_EQ(WriteTableFile(path, table), 0);
    const TTableReadResult read = ReadTableFile(path);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(Bits(read.Table.X), Bits(table.X));
    EXPECT_EQ(Bits(read.Table.Y), Bits(table.Y));
    std::remove(path.c_str());
}

TEST(ShortestText, IsShortAndExact)
{
    EXPECT_EQ(ShortestText(0.1), "0.1");
    EXPECT_EQ(ShortestText(-0.0), "-0");
    EXPECT_EQ(ShortestText(5e-324), "5e-324");
    EXPECT_EQ(ShortestText(1e300), "1e+300");
}

// Readable inputs and the values they give.
struct ReadCase {
    const char* name;
    std::string text;
    TTableReadOptions options;
    std::vector<double> x, y;
    std::vector<std::string> names;
};

class TableReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TableReads, GivesItsValues)
{
    const ReadCase& tc = GetParam();
    const TTableReadResult r = ReadTableText(tc.text, tc.options, "in.txt");
    ASSERT_TRUE(r.Ok()) << "fault " << r.Failure.Fault << " line " << r.Failure.Line << ": " << r.Failure.Found;
    EXPECT_EQ(r.Table.X, tc.x);
    EXPECT_EQ(r.Table.Y, tc.y);
    EXPECT_EQ(r.Table.ColumnNames, tc.names);
}

TTableReadOptions Columns(int x, int y, std::int64_t skip = 0)
{
    TTableReadOptions o;
    o.ColumnX = x;
    o.ColumnY = y;
    o.Skip = skip;
    return o;
}

TTableReadOptions SkippingMissing()
{
    TTableReadOptions o;
    o.SkipMissing = true;
    return o;
}

TTableReadOptions Separator(char c)
{
    TTableReadOptions o;
    o.Separator = c;
    return o;
}

const ReadCase kReads[] = {
    {"SemicolonDecimalComma", "1,5;2,5\n3;4\n", {}, {1.5, 3}, {2.5, 4}, {}},
    {"Comma", "1.5,2.5\n-3e2, +4\n", {}, {1.5, -300}, {2.5, 4}, {}},
    {"BlankDecimalComma", "1,5 2,5\n  3,25   -4  \n", {}, {1.5, 3.25}, {2.5, -4}, {}},
    {"Tabs", "1\t\t2\n3\t5\t4\n", Columns(1, 3), {1, 3}, {2, 4}, {}},  // an empty field that is not read
    {"TabDecimalComma", "1,5\t2\n", {}, {1.5}, {2}, {}},
    {"CrOnly", "1 2\r3 4\r5 6", {}, {1, 3, 5}, {2, 4, 6}, {}},
    {"CrLf", "1 2\r\n3 4\r\n", {}, {1, 3}, {2, 4}, {}},
    {"ByteOrderMark", "\xEF\xBB\xBFx;y\n1;2\n", {}, {1}, {2}, {"x", "y"}},
    {"Header", "time,value\n0.5,1\n", {}, {0.5}, {1}, {"time", "value"}},
    {"HeaderWithUnits", "t (s)\tU (V)\n1\t2\n", {}, {1}, {2}, {"t (s)", "U (V)"}},
    {"CommentsAndBlankLines", "# made by hand\n\n; old style\n  \n1 2\n# end\n", {}, {1}, {2}, {}},
    {"ColumnsSwapped", "10 20 30\n11 21 31\n", Columns(3, 1), {30, 31}, {10, 11}, {}},
    {"ColumnsWithHeader", "a;b;c\n1;2;3\n", Columns(2, 3), {2}, {3}, {"b", "c"}},
    {"Skip", "title\nwhat ever 1 2\n5 6\n", Columns(1, 2, 2), {5}, {6}, {}},
    {"ColumnBelowOneWithHeader", "a;b;c\n1;2;3\n", Columns(3, 0), {3}, {1}, {"c", "a"}},
    {"NegativeColumn", "1 2 3\n", Columns(-7, 2), {1}, {2}, {}},
    {"SeparatorGiven", "1,5;2\n", Separator(';'), {1.5}, {2}, {}},
    {"ExponentForms", "1E+0040\t.5\n5.\t-0\n", {}, {1e40, 5}, {0.5, -0.0}, {}},
    {"QuotedFields", "\"x\",\"y\"\n\"1.5\",\" 2.5 \"\n", {}, {1.5}, {2.5}, {"x", "y"}},
    {"QuotedSeparatorAndQuote", "\"a; \"\"b\"\"\";c\n1;\"2,5\"\n", {}, {1}, {2.5}, {"a; \"b\"", "c"}},
    {"RCsvRowLabels", "\"\",\"x\",\"y\"\n\"1\",5.1,3.5\n\"2\",4.9,3\n", {}, {5.1, 4.9}, {3.5, 3}, {"x", "y"}},
    {"RCsv2RowLabels", "\"\";\"x\";\"y\"\n\"1\";5,1;3,5\n", {}, {5.1}, {3.5}, {"x", "y"}},
    {"RTableRowLabels", "\"x\" \"y\"\n\"a b\" 5.1 3.5\n", {}, {5.1}, {3.5}, {"x", "y"}},
    {"RCsvColumnsChosen", "\"\",\"x\",\"y\"\n\"1\",5.1,3.5\n", Columns(3, 2), {3.5}, {5.1}, {"y", "x"}},
    {"RowsOfEmptyCells", ",,\nx,y\n1,2\n,,\n\"\",\"\"\n3,4\n, ,\n", {}, {1, 3}, {2, 4}, {"x", "y"}},
    {"TrailingEmptyColumns", "x;y;\n1;2;\n3;4;;\n", {}, {1, 3}, {2, 4}, {"x", "y"}},
    {"TrailingEmptyTab", "1\t2\t\n", {}, {1}, {2}, {}},
    {"HeaderWithANumberInAName", "Zeit;Temp 1\n1;2\n", {}, {1}, {2}, {"Zeit", "Temp 1"}},
    {"EscapedNames", "\\1e5,\"\\nan x\"\n1,2\n", {}, {1}, {2}, {"1e5", "nan x"}},
    {"BackslashKeptBeforeText", "\\alpha \\\\2\n1 2\n", {}, {1}, {2}, {"\\alpha", "\\2"}},
    {"SkipMissing", "x,y\n1,NA\n2,3\n,4\n5\n6,n/a\n7,8\n", SkippingMissing(), {2, 7}, {3, 8}, {"x", "y"}},
    {"DataFileQuotedNames",
     "c\r\n2\t;nr. of columns\r\n1\t;nr. of rows\r\nFALSE TRUE FALSE\t;a\r\n\"t (s)\"   \\2\r\n1\t2\r\n", {}, {1}, {2},
     {"t (s)", "2"}},
    {"DataFile",
     "Data exported from QZL TCurveFit\r\n2\t;nr. of columns\r\n2\t;nr. of rows\r\n"
     "FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n1.000000\t2.500000\r\n"
     "-0.250000\t 1.0E+0040\r\n",
     {}, {1, -0.25}, {2.5, 1e40}, {"x", "y"}},
    {"DataFileWithoutPoints",
     "c\r\n2\t;nr. of columns\r\n0\t;nr. of rows\r\nFALSE TRUE FALSE\t;a\r\nx   y\r\n", {}, {}, {}, {"x", "y"}},
    {"DataFileWithRowNames",
     "c\n2\t;nr. of columns\n1\t;nr. of rows\nFALSE FALSE TRUE\t;row attributes, column names, row names\n"
     "first\t1\t2\n",
     {}, {1}, {2}, {}},
};
INSTANTIATE_TEST_SUITE_P(Table, TableReads, ::testing::ValuesIn(kReads),
                         [](const auto& info) { return std::string(info.param.name); });

// Inputs that stop the reading, with what the failure says.
struct FailCase {
    const char* name;
    std::string text;
    TTableReadOptions options;
    TTableFault fault;
    std::int64_t line;
    int column;
    std::string found;
};

class TableRefuses : public ::testing::TestWithParam<FailCase> {};

TEST_P(TableRefuses, WithItsFailureAndNoData)
{
    const FailCase& tc = GetParam();
    const TTableReadResult r = ReadTableText(tc.text, tc.options, "in.txt");
    EXPECT_EQ(r.Failure.Fault, tc.fault);
    EXPECT_EQ(r.Failure.FileName, "in.txt");
    EXPECT_EQ(r.Failure.Line, tc.line);
    EXPECT_EQ(r.Failure.Column, tc.column);
    EXPECT_EQ(r.Failure.Found, tc.found);
    EXPECT_TRUE(r.Table.X.empty());
    EXPECT_TRUE(r.Table.Y.empty());
}

const std::string kDataFileHead = "c\n2\t;nr. of columns\n3\t;nr. of rows\nFALSE TRUE FALSE\t;a\nx   y\n";

const FailCase kFails[] = {
    {"Empty", "", {}, tfNoData, 0, 0, ""},
    {"OnlyAHeader", "x,y\r\n", {}, tfNoData, 0, 0, ""},
    {"OnlyComments", "# nothing\n\n", {}, tfNoData, 0, 0, ""},
    {"MissingY", "1 2\n3\n", {}, tfMissingValue, 2, 2, "3"},
    {"EmptyY", "1;2\n3;\n", {}, tfMissingValue, 2, 2, "3;"},
    {"ThirdColumn", "1,2,3\n", {}, tfExtraValue, 1, 3, "1,2,3"},
    {"ThirdColumnLater", "1 2\n1 2 3\n", {}, tfExtraValue, 2, 3, "1 2 3"},
    {"ColumnBeyondTheRow", "1 2 3\n", Columns(2, 5), tfMissingValue, 1, 5, "1 2 3"},  // the chosen column is named
    {"Nan", "1 2\nnan 3\n", {}, tfNotANumber, 2, 1, "nan"},
    {"Inf", "1;inf\n", {}, tfNotANumber, 1, 2, "inf"},
    {"Overflow", "1e400 2\n", {}, tfOutOfRange, 1, 1, "1e400"},
    {"Underflow", "1 1e-400\n", {}, tfOutOfRange, 1, 2, "1e-400"},
    {"Word", "1 2\n3 four\n", {}, tfNotANumber, 2, 2, "four"},
    {"DecimalCommaInCommaTable", "1.5,2\n1,5,2\n", {}, tfExtraValue, 2, 3, "1,5,2"},
    {"TwoSigns", "+-1 2\n", {}, tfNotANumber, 1, 1, "+-1"},
    {"Hex", "0x10 2\n", {}, tfNotANumber, 1, 1, "0x10"},
    {"SecondHeader", "x y\nx y\n", {}, tfNotANumber, 2, 1, "x"},
    {"Binary", std::string("1 2\n3 4\x00\x01\n", 10), {}, tfBinary, 2, 0, ""},
    {"InvalidUtf8", "1 2\n\xC3\x28 3\n", {}, tfInvalidUtf8, 2, 0, "\xC3\x28 3"},
    {"Overlong", "1 2 \xC0\xAF\n", {}, tfInvalidUtf8, 1, 0, "1 2 \xC0\xAF"},
    {"Utf8IsNoNumber", "1 2\n3 \xC2\xB2\n", {}, tfNotANumber, 2, 2, "\xC2\xB2"},
    {"DataFileShort", kDataFileHead + "1\t2\n3\t4\n", {}, tfRowCount, 0, 0, ""},
    {"DataFileLong", kDataFileHead + "1\t2\n3\t4\n5\t6\n7\t8\n", {}, tfRowCount, 0, 0, ""},
    {"DataFileBadRowCount", "c\n2\t;nr. of columns\nmany\t;nr. of rows\n", {}, tfBadLayout, 3, 0, "many\t;nr. of rows"},
    {"DataFileRowAttributes", "c\n2\t;nr. of columns\n1\t;nr. of rows\nTRUE TRUE FALSE\t;a\n", {}, tfBadLayout, 4, 0,
     "TRUE TRUE FALSE\t;a"},
    {"DataFileEndsInItsHeader", "c\n2\t;nr. of columns\n1\t;nr. of rows\n", {}, tfBadLayout, 4, 0, ""},
    {"DataFileNan", kDataFileHead + "1\t2\nNan\t4\n", {}, tfNotANumber, 7, 1, "Nan"},
    {"NA", "x,y\n1,2\n3,NA\n", {}, tfMissingValue, 3, 2, "NA"},
    {"UnderRowLabels", "\"\",\"x\",\"y\"\n\"1\",1,2\n\"2\",abc,2\n", {}, tfNotANumber, 3, 2, "abc"},
    {"HashNA", "1;#N/A\n", {}, tfMissingValue, 1, 2, "#N/A"},
    {"EmptyX", "1,2\n,3\n", {}, tfMissingValue, 2, 1, ",3"},
    {"ColumnFarBeyondTheRow", "1,2,3\n", Columns(2, 99), tfMissingValue, 1, 99, "1,2,3"},
    {"EmptyCellBeforeValues", "1;2\n3;4;;5\n", {}, tfExtraValue, 2, 3, "3;4;;5"},
    {"OnlySkippedRows", "1,NA\n", SkippingMissing(), tfNoData, 0, 0, ""},
    {"DataFileCountsSkippedRows", kDataFileHead + "1\t2\nNA\t4\n5\t6\n7\t8\n", SkippingMissing(), tfRowCount, 0, 0, ""},
};
INSTANTIATE_TEST_SUITE_P(Table, TableRefuses, ::testing::ValuesIn(kFails),
                         [](const auto& info) { return std::string(info.param.name); });

// A fault that a header or a label column causes names the columns found and the fix.
struct HintCase {
    const char* name;
    std::string text;
    TTableReadOptions options;
    TTableFault fault;
    int columnsInLine;
    std::vector<std::string> columnsFound;
    bool fromHeader;
    std::int64_t skip;
    int columnX, columnY;
};

class TableHints : public ::testing::TestWithParam<HintCase> {};

TEST_P(TableHints, NameTheColumnsAndTheFix)
{
    const HintCase& tc = GetParam();
    const TTableFailure f = ReadTableText(tc.text, tc.options).Failure;
    EXPECT_EQ(f.Fault, tc.fault);
    EXPECT_EQ(f.ColumnsInLine, tc.columnsInLine);
    EXPECT_EQ(f.ColumnsFound, tc.columnsFound);
    EXPECT_EQ(f.ColumnsFromHeader, tc.fromHeader);
    EXPECT_EQ(f.SuggestedSkip, tc.skip);
    EXPECT_EQ(f.SuggestedColumnX, tc.columnX);
    EXPECT_EQ(f.SuggestedColumnY, tc.columnY);
}

const HintCase kHints[] = {
    // "1/T" starts like a number, so the line is read as data.
    {"HeaderNotRecognised", "t;1/T\n1;2\n", {}, tfNotANumber, 2, {"t", "1/T"}, false, 1, 0, 0},
    {"TitleAndHeader", "Messung A\nx,y\n1,2\n", {}, tfNotANumber, 2, {"Messung A"}, true, 1, 0, 0},
    {"TitleWithANumber", "Messung 3\nx,y\n1,2\n", {}, tfNotANumber, 2, {"Messung", "3"}, false, 1, 0, 0},
    {"SkipGivenAlready", "a\nb\nt;1/T\n1;2\n", Columns(1, 2, 2), tfNotANumber, 2, {"t", "1/T"}, false, 3, 0, 0},
    {"LabelColumn", "Probe A;1,5;2\n", {}, tfNotANumber, 3, {"Probe A", "1,5", "2"}, false, 0, 2, 3},
    {"LabelColumnUnderAHeader", "Nr,x,,y\nA1,1,,2\n", {}, tfNotANumber, 4, {"Nr", "x", "", "y"}, true, 0, 2, 4},
    {"ThreeNumbers", "1 2 3\n", {}, tfExtraValue, 3, {"1", "2", "3"}, false, 0, 0, 0},
    {"ColumnBeyondTheRow", "a,b,c\n1,2,3\n", Columns(2, 99), tfMissingValue, 3, {"a", "b", "c"}, true, 0, 0, 0},
    // Later rows get no fix: the first ones were read as data.
    {"FaultAfterData", "1 2\nx y\n", {}, tfNotANumber, 2, {"x", "y"}, false, 0, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Table, TableHints, ::testing::ValuesIn(kHints),
                         [](const auto& info) { return std::string(info.param.name); });

// Rows under R's header of row labels, many of them, so that most take the reader's quick way;
// the awkward labels (a separator or a doubled quote inside, none at all) read the same.
TEST(TableReads, RowLabelsOfEveryKind)
{
    for (const char* separator : {",", ";", "\t"}) {
        SCOPED_TRACE(separator);
        const std::string sep = separator;
        std::string text = "\"\"" + sep + "\"x\"" + sep + "\"y\"\r\n";
        std::vector<double> x, y;
        const std::string labels[] = {"\"7\"", "\"a" + sep + "b\"", "\"say \"\"hi\"\"\"", "plain", "\"\"", " \"q\" "};
        for (int i = 0; i < 3000; ++i) {
            x.push_back(i * 0.25);
            y.push_back(-i * 1e-3);
            text += labels[i % std::size(labels)] + sep + ShortestText(x.back()) + sep + " " + ShortestText(y.back()) + "\n";
        }
        const TTableReadResult r = ReadTableText(text);
        ASSERT_TRUE(r.Ok()) << r.Failure.Fault << " line " << r.Failure.Line << ": " << r.Failure.Found;
        EXPECT_EQ(r.Table.X, x);
        EXPECT_EQ(r.Table.Y, y);
        EXPECT_EQ(r.Table.ColumnNames, (std::vector<std::string>{"x", "y"}));
        // A row without its label is a row of one value too few.
        const TTableReadResult bad = ReadTableText(text + "1" + sep + "2\n");
        EXPECT_EQ(bad.Failure.Fault, tfMissingValue);
        EXPECT_EQ(bad.Failure.Line, 3002);
        EXPECT_EQ(bad.Failure.Column, 3);  // the file's columns, the label's counted
    }
}

TEST(TableReads, CountsTheRowsItSkipsForAMissingValue)
{
    TTableReadOptions o = SkippingMissing();
    const std::string text = "x;y\n1;2\n;;\n3;NA\n4;5\n6\n\n";  // ";;" is a comment, "" no row
    TTableReadResult r = ReadTableText(text, o);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.SkippedRows, 2);
    EXPECT_EQ(r.FirstSkippedLine, 4);
    r = ReadTableText("1 2\n3 4\n");
    EXPECT_EQ(r.SkippedRows, 0);
    EXPECT_EQ(r.FirstSkippedLine, 0);
}

// Column names made of pieces that a careless writer loses: numbers and the words the reader
// takes for numbers, blanks at the ends, every separator, quotes, comment marks, backslashes.
std::string HostileName(std::mt19937_64& rng)
{
    static const char* const kPieces[] = {"1e5", "inf", "nan", "NaN", "-0", ".5", ",5", "+7", " ", "\t", ",", ";",
                                          "\"", "#", "\\", "\\1", "NA", "x", "t (s)", "\xC3\xBC", "Inf y", ""};
    std::string name;
    for (int n = static_cast<int>(rng() % 4); n >= 0; --n) name += kPieces[rng() % std::size(kPieces)];
    return name;
}

TEST_P(TableRoundTrip, KeepsHostileNames)
{
    const RoundTripCase& tc = GetParam();
    std::mt19937_64 rng(2024);
    const TTable awkward = AwkwardTable(64, 13);
    TTableWriteOptions write;
    write.Layout = tc.layout;
    write.Separator = tc.separator;
    for (int i = 0; i < 400; ++i) {
        TTable table;
        // A few rows taken at random from the awkward values.
        for (std::size_t n = 1 + rng() % 4; n > 0; --n) {
            const std::size_t k = rng() % awkward.X.size();
            table.X.push_back(awkward.X[k]);
            table.Y.push_back(awkward.Y[k]);
        }
        table.ColumnNames = {HostileName(rng), HostileName(rng)};
        const std::string text = TableText(table, write);
        const TTableReadResult read = ReadTableText(text);
        ASSERT_TRUE(read.Ok()) << read.Failure.Fault << " line " << read.Failure.Line << ": " << text;
        ASSERT_EQ(read.Table.ColumnNames, table.ColumnNames) << text;
        ASSERT_EQ(Bits(read.Table.X), Bits(table.X)) << text;
        ASSERT_EQ(Bits(read.Table.Y), Bits(table.Y)) << text;
    }
}

// Texts made of the pieces that steer the reader (quotes, separators, marks of missing values,
// numbers in both decimal forms) end in a table or in a failure with no data, and read the same
// whichever line end they use.
TEST(TableRobustness, HostileTextsEndInATableOrAFailure)
{
    static const char* const kPieces[] = {"\"", "\"\"", ",", ";", "\t", " ", "1", "-2.5", "3,5", "1e400", "NA", "",
                                          "x", "#", "\n", "\n", "\n", "\\1", "inf", ",,"};
    std::mt19937_64 rng(99);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (int n = static_cast<int>(rng() % 40); n > 0; --n) text += kPieces[rng() % std::size(kPieces)];
        TTableReadOptions o;
        o.SkipMissing = rng() % 2 == 0;
        if (rng() % 3 == 0) {
            o.ColumnX = static_cast<int>(rng() % 4);
            o.ColumnY = static_cast<int>(rng() % 4);
        }
        const TTableReadResult r = ReadTableText(text, o);
        std::string crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        const TTableReadResult w = ReadTableText(crlf, o);
        ASSERT_EQ(r.Table.X.size(), r.Table.Y.size());
        if (!r.Ok()) {
            ASSERT_TRUE(r.Table.X.empty()) << text;
            ASSERT_GE(r.Failure.Line, 0);
            ASSERT_LE(r.Failure.Line, 1 + static_cast<std::int64_t>(std::count(text.begin(), text.end(), '\n')));
        }
        ASSERT_EQ(w.Failure.Fault, r.Failure.Fault) << text;
        ASSERT_EQ(w.Failure.Line, r.Failure.Line) << text;
        ASSERT_EQ(w.Failure.Column, r.Failure.Column) << text;
        ASSERT_EQ(w.Failure.SuggestedSkip, r.Failure.SuggestedSkip) << text;
        ASSERT_EQ(Bits(w.Table.X), Bits(r.Table.X)) << text;
        ASSERT_EQ(Bits(w.Table.Y), Bits(r.Table.Y)) << text;
        ASSERT_EQ(w.Table.ColumnNames, r.Table.ColumnNames) << text;
        ASSERT_EQ(w.SkippedRows, r.SkippedRows) << text;
    }
}

TEST(TableRefuses, ALineOverTheLimitAndShowsItsStart)
{
    const std::string longLine(std::size_t{1} << 20, '1');
    for (const std::string& text : {"1 2\n" + longLine + " 2\n", "1 2\n" + longLine}) {
        const TTableReadResult r = ReadTableText(text);
        EXPECT_EQ(r.Failure.Fault, tfLineTooLong);
        EXPECT_EQ(r.Failure.Line, 2);
        EXPECT_TRUE(r.Failure.FoundCut);
        EXPECT_EQ(r.Failure.Found, longLine.substr(0, kMaxFoundBytes));
    }
    const std::string longest(kMaxLineBytes - 3, '0');  // with "1 " and "1": the longest line
    EXPECT_TRUE(ReadTableText("1 " + longest + "1\n").Ok());
}

TEST(TableFile, ReadsAcrossItsPieces)
{
    // Many short lines with CR, CR LF and LF ends, so line ends fall on the edges of the reads.
    std::string text = "\xEF\xBB\xBFx\ty\r\n";
    const char* ends[] = {"\r", "\r\n", "\n"};
    const int rows = 400000;
    for (int i = 0; i < rows; ++i) text += std::to_string(i) + "\t" + std::to_string(-i) + ends[i % 3];
    const std::string path = TempPath("pieces.txt");
    WriteBytes(path, text);
    const TTableReadResult r = ReadTableFile(path);
    ASSERT_TRUE(r.Ok()) << r.Failure.Fault << " line " << r.Failure.Line;
    ASSERT_EQ(r.Table.X.size(), std::size_t(rows));
    for (int i = 0; i < rows; i += 997) {
        ASSERT_EQ(r.Table.X[i], i);
        ASSERT_EQ(r.Table.Y[i], -i);
    }
    EXPECT_EQ(r.Table.ColumnNames, (std::vector<std::string>{"x", "y"}));

    // A fault far into the file names its line and leaves nothing read.
    WriteBytes(path, text + "1\tnan\n");
    const TTableReadResult bad = ReadTableFile(path);
    EXPECT_EQ(bad.Failure.Fault, tfNotANumber);
    EXPECT_EQ(bad.Failure.Line, rows + 2);
    EXPECT_TRUE(bad.Table.X.empty());
    std::remove(path.c_str());
}

TEST(TableFile, HandsItsRowsToASink)
{
    const TTable table = AwkwardTable(100000, 3);
    const std::string path = TempPath("sink.txt");
    ASSERT_EQ(WriteTableFile(path, table), 0);
    TTable received;
    const TTableReadResult r = ReadTableFile(path, {}, [&](const double* pairs, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            received.X.push_back(pairs[2 * i]);
            received.Y.push_back(pairs[2 * i + 1]);
        }
    });
    ASSERT_TRUE(r.Ok());
    EXPECT_TRUE(r.Table.X.empty());
    EXPECT_EQ(Bits(received.X), Bits(table.X));
    EXPECT_EQ(Bits(received.Y), Bits(table.Y));

    // A sink that throws ends the reading.
    EXPECT_THROW(ReadTableFile(path, {}, [](const double*, std::size_t) { throw std::length_error("full"); }),
                 std::length_error);
    std::remove(path.c_str());
}

TEST(TableFile, TellsItsProgressAndCanBeCancelled)
{
    const TTable table = AwkwardTable(60000, 17);
    const std::string path = TempPath("progress.txt");
    ASSERT_EQ(WriteTableFile(path, table), 0);
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    std::vector<std::int64_t> done;
    TTableReadOptions o;
    o.Progress = [&](std::int64_t d, std::int64_t total) {
        EXPECT_EQ(total, size);
        done.push_back(d);
        return true;
    };
    const TTableReadResult r = ReadTableFile(path, o);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(Bits(r.Table.X), Bits(table.X));
    ASSERT_GE(done.size(), 2u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), size);

    // Cancelled after the first piece: a failure and no data, through a sink as well.
    o.Progress = [](std::int64_t, std::int64_t) { return false; };
    const TTableReadResult cancelled = ReadTableFile(path, o);
    EXPECT_EQ(cancelled.Failure.Fault, tfCancelled);
    EXPECT_TRUE(cancelled.Table.X.empty());
    std::size_t handed = 0;
    const TTableReadResult sunk = ReadTableFile(path, o, [&](const double*, std::size_t n) { handed += n; });
    EXPECT_EQ(sunk.Failure.Fault, tfCancelled);
    EXPECT_LT(handed, table.X.size());
    std::remove(path.c_str());
}

TEST(TableFile, ThatCannotBeOpened)
{
    const TTableReadResult missing = ReadTableFile(TempPath("does-not-exist.txt"));
    EXPECT_EQ(missing.Failure.Fault, tfCannotOpen);
    EXPECT_EQ(missing.Failure.ErrorCode, ENOENT);
    const TTableReadResult directory = ReadTableFile(::testing::TempDir());
    EXPECT_EQ(directory.Failure.Fault, tfCannotOpen);
    EXPECT_EQ(directory.Failure.ErrorCode, EISDIR);
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The old file stays as it was until the new one is complete: a write that fails for a full disk
// (here the file size limit, which fails a write as a full disk does) or a denied folder leaves it
// and no new file behind; a write that succeeds replaces it and keeps its permissions.
TEST(TableFile, AFailedWriteLeavesTheOldFile)
{
    const std::string folder = TempPath("replace");
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    const std::string path = folder + "/t.csv";
    TTable small;
    small.X = {1};
    small.Y = {2};
    ASSERT_EQ(WriteTableFile(path, small), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string before = Slurp(path);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 1 << 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    const int full = WriteTableFile(path, AwkwardTable(20000, 5));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(full, EFBIG);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"t.csv"});

    if (::geteuid() != 0) {  // no permission stops root
        ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
        EXPECT_EQ(WriteTableFile(path, AwkwardTable(10, 1)), EACCES);
        ::chmod(folder.c_str(), 0700);
        EXPECT_EQ(Slurp(path), before);
    }

    const TTable table = AwkwardTable(10, 1);
    ASSERT_EQ(WriteTableFile(path, table), 0);
    const TTableReadResult read = ReadTableFile(path);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(Bits(read.Table.X), Bits(table.X));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"t.csv"});
    std::filesystem::remove_all(folder);
}

TEST(TableFile, WriteToAPlaceThatCannotBeWritten)
{
    EXPECT_EQ(WriteTableFile(TempPath("no-such-folder/t.txt"), TTable{}), ENOENT);
}

}  // namespace
