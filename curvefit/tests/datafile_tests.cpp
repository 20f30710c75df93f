#include <algorithm>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DataFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        // One folder per test and process: parallel runs of the suite must not share files.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        m_dir = fs::temp_directory_path() / ("kalmira_datafile_" + name + "_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Writes the store with the main window's settings and returns the file's bytes.
    std::string Write(const std::vector<std::pair<double, double>>& points, const std::string& comment,
                      const std::string& name = "out.txt", int decimals = 6)
    {
        TCurveFit fit;
        for (auto [x, y] : points) fit.AddPoint(x, y);
        std::string error = "stale";
        fit.WriteDataFile((m_dir / name).string(), comment, decimals, error);
        EXPECT_EQ(error, "");
        return ReadBytes(m_dir / name);
    }

    fs::path m_dir;
};

const std::string kHeader = "2\t;nr. of columns\r\n";
const std::string kAttributes = "FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n";

TEST_F(DataFile, WritesTheTableByteForByte)
{
    EXPECT_EQ(Write({{1, 2.5}, {-0.25, 3}}, "Data exported from QZL TCurveFit"),
              "Data exported from QZL TCurveFit\r\n" + kHeader + "2\t;nr. of rows\r\n" + kAttributes +
                  "1.000000\t2.500000\r\n-0.250000\t3.000000\r\n");
}

TEST_F(DataFile, NoPointsGivesTheHeaderOnly)
{
    EXPECT_EQ(Write({}, "c"), "c\r\n" + kHeader + "0\t;nr. of rows\r\n" + kAttributes);
}

TEST_F(DataFile, EmptyCommentNamesTheFileAsPassed)
{
    const std::string path = (m_dir / "out.txt").string();
    const std::string bytes = Write({}, "");
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), "Exported by QZL TCurveFit component: " + path);
}

TEST_F(DataFile, CommentLineFeedsBecomeBlanksCarriageReturnsStay)
{
    const std::string bytes = Write({}, "one\ntwo\rthree");
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), "one two\rthree");
}

TEST_F(DataFile, NumbersFollowTheProgramsTextRules)
{
    const std::string bytes = Write({{1e40, -1e-9}, {0.125, 2.675}}, "c", "out.txt", 2);
    EXPECT_NE(bytes.find(" 1.0E+0040\t-0.00\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\r\n0.13\t2.67\r\n"), std::string::npos) << bytes;
    EXPECT_NE(Write({{-1e-9, 0}}, "c").find("\r\n-0.000000\t0.000000\r\n"), std::string::npos);
}

TEST_F(DataFile, TruncatesAnExistingFile)
{
    std::ofstream(m_dir / "out.txt") << std::string(5000, 'z');
    EXPECT_EQ(Write({}, "c").size(), ("c\r\n" + kHeader + "0\t;nr. of rows\r\n" + kAttributes).size());
}

struct OpenFailure {
    const char* name;
    const char* relativePath;  // under the test folder
    const char* message;
};

class DataFileOpen : public DataFile, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(DataFileOpen, ReturnsTheErrorTextAndWritesNothing)
{
    TCurveFit fit;
    fit.AddPoint(1, 2);
    fs::create_directories(m_dir / "folder");
    std::ofstream(m_dir / "plainfile") << "x";
    std::string error;
    fit.WriteDataFile((m_dir / GetParam().relativePath).string(), "c", 6, error);
    EXPECT_EQ(error, GetParam().message);
    EXPECT_EQ(ReadBytes(m_dir / "plainfile"), "x");
    EXPECT_TRUE(fs::is_empty(m_dir / "folder"));
}

const OpenFailure kOpenFailures[] = {
    {"MissingFolder", "nowhere/out.txt", "Datei nicht gefunden"},
    {"FolderAsFile", "folder", "Dateizugriff verweigert"},
    {"FileAsFolder", "plainfile/out.txt", "Pfad nicht gefunden"},
};
INSTANTIATE_TEST_SUITE_P(DataFile, DataFileOpen, ::testing::ValuesIn(kOpenFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DataFileWrite, FullDiskRaisesThePlatformError)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TCurveFit fit;
    for (int i = 0; i < 20000; ++i) fit.AddPoint(i, i);
    std::string error;
    try {
        fit.WriteDataFile("/dev/full", "c", 6, error);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Zu wenig Speicherplatz");
    }
    EXPECT_EQ(error, "");
}

TEST(FileErrorMessage, GivesThePlatformTexts)
{
    EXPECT_EQ(FileErrorMessage(EACCES), "Dateizugriff verweigert");
    EXPECT_EQ(FileErrorMessage(EROFS), "Dateizugriff verweigert");
    EXPECT_EQ(FileErrorMessage(EMFILE), "Zu viele geöffnete Dateien");
    EXPECT_EQ(FileErrorMessage(EIO), "E/A-Fehler " + std::to_string(EIO));
}

}  // namespace
