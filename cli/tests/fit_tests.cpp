// kalmira-fit in process: its numbers are the engine's to the last bit, the data file the window
// writes reads back, and the comparison of several models.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fitprogram.h"
#include "runfit.h"
#include "cli/models.h"
#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "table/tablereader.h"
#include "table/tablewriter.h"

namespace {

std::string TempFile(const std::string& name)
{
    return ::testing::TempDir() + "cli_fit_" + std::to_string(::getpid()) + "_" + name;
}

// The "model,item,value" rows of the csv output as item -> text, for one model.
std::map<std::string, std::string> CsvItems(const std::string& csv)
{
    std::map<std::string, std::string> items;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        const std::size_t a = line.find(','), b = line.find(',', a + 1);
        items[line.substr(a + 1, b - a - 1)] = line.substr(b + 1);
    }
    return items;
}

double Read(const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Every model through the program gives the very doubles the engine gives when called directly.
TEST(FitProgram, PrintsTheEnginesBits)
{
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    TTable table;
    for (int i = 1; i <= 40; ++i) {
        const double x = 0.37 * i + noise(rng);
        table.X.push_back(x);
        table.Y.push_back(2.0 + std::exp(0.1 * x) + noise(rng));
    }
    const std::string path = TempFile("points.txt");
    ASSERT_EQ(WriteTableFile(path, table), 0);

    TCurveFit engine;
    for (std::size_t i = 0; i < table.X.size(); ++i) engine.AddPoint(table.X[i], table.Y[i]);
    const std::vector<double> at = {1.0, 7.5, 20.0};

    for (const TModelChoice& choice : AllModels()) {
        SCOPED_TRACE(choice.Text);
        const TModelFit direct = FitModel(engine, choice, TFitRequest{at});
        ASSERT_TRUE(direct.Ok) << direct.Message;
        const TOutput run = Fit({"--model", choice.Text, "--format", "csv", "--at", "1,7.5,20", path});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto items = CsvItems(run.out);
        for (const TFitParameter& p : direct.Result.Parameters) EXPECT_EQ(Bits(Read(items.at(p.Name))), Bits(p.Value)) << p.Name;
        EXPECT_EQ(Bits(Read(items.at("quality"))), Bits(direct.Result.Quality));
        EXPECT_EQ(items.at("points"), "40");
        for (const TValueAt& v : direct.Values) {
            const std::string& text = items.at("y(" + ShortestText(v.X) + ")");
            if (v.Defined)
                EXPECT_EQ(Bits(Read(text)), Bits(v.Y));
            else
                EXPECT_EQ(text, "outside the data");
        }
    }

    // And the closed forms as the engine's own calls give them.
    double k = 0, d = 0, q = 0;
    engine.CalcLinFit(k, d, q);
    const auto line = CsvItems(Fit({"--format", "csv", path}).out);
    EXPECT_EQ(Bits(Read(line.at("k"))), Bits(k));
    EXPECT_EQ(Bits(Read(line.at("d"))), Bits(d));
    std::remove(path.c_str());
}

TEST(FitProgram, ReadsTheDataFileTheWindowWrites)
{
    TCurveFit written;
    const double points[][2] = {{1, 2.5}, {-0.25, 3}, {1e40, -1e-9}, {2.125, 0.5}};
    for (const auto& p : points) written.AddPoint(p[0], p[1]);
    const std::string path = TempFile("cfit.asc");
    std::string error;
    written.WriteDataFile(path, "Data exported from QZL TCurveFit", 6, error);
    ASSERT_EQ(error, "");

    const TTableReadResult read = ReadTableFile(path);
    ASSERT_TRUE(read.Ok()) << DescribeTableFailure(read.Failure);
    EXPECT_EQ(read.Table.X, (std::vector<double>{1, -0.25, 1e40, 2.125}));
    EXPECT_EQ(read.Table.Y, (std::vector<double>{2.5, 3, -0.0, 0.5}));  // -1e-9 with 6 decimals is -0.000000
    EXPECT_EQ(read.Table.Comment, "Data exported from QZL TCurveFit");
    EXPECT_EQ(read.Table.ColumnNames, (std::vector<std::string>{"x", "y"}));

    const TOutput run = Fit({"--model", "parabola", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("points   4\n"), std::string::npos) << run.out;
    std::remove(path.c_str());
}

// The polynomial fit says it was truncated only when it was, and then which coefficients the
// data leave open: three distinct x fix a parabola, so c3 and c4 of a quartic are open. Norris at
// order 9 determines every coefficient once the columns are scaled: no note.
TEST(FitProgram, NamesTheCoefficientsTheDataDoNotDetermine)
{
    const std::string path = TempFile("three.csv");
    {
        std::ofstream file(path);
        file << "1 2\n2 3\n3 1\n1 2.5\n2 2\n3 0\n1 1\n";
    }
    const std::string note = "c3 to c4 are not determined by the data (3 distinct x); the smallest-norm solution is shown";
    const TOutput quartic = Fit({"--model", "poly:4", path});
    EXPECT_EQ(quartic.status, 0) << quartic.err;
    EXPECT_NE(quartic.out.find("note     " + note + "\n"), std::string::npos) << quartic.out;
    EXPECT_EQ(quartic.err, "kalmira-fit: poly:4: " + note + "\n");
    const TOutput cubic = Fit({"--model", "poly:3", path});
    EXPECT_NE(cubic.err.find("c3 is not determined by the data (3 distinct x)"), std::string::npos) << cubic.err;
    std::remove(path.c_str());

    const TOutput norris = Fit({"--model", "poly:9", "--skip", "60", "--columns", "2,1",
                                std::string(KALMIRA_NIST_DIR) + "/Norris.dat"});
    EXPECT_EQ(norris.status, 0) << norris.err;
    EXPECT_EQ(norris.err, "");
    EXPECT_EQ(norris.out.find("note"), std::string::npos) << norris.out;
}

// Models are compared by the AIC of their residuals in y, the same variable for each: an exact
// fit comes first, the one with fewer parameters before the other.
// Hourly timestamps near 1.7e9: the polynomial's centred form comes out in every format, as the
// engine gives it, and from order 3 on a note says once that the raw coefficients cancel.
TEST(FitProgram, GivesTheCentredFormAndSaysWhereTheRawFormCancels)
{
    const std::string path = TempFile("hours.txt");
    TTable table;
    for (int i = 0; i < 200; ++i) {
        table.X.push_back(1.7e9 + 3600.0 * i);
        table.Y.push_back(3.0 + std::sin(0.0455 * i));
    }
    ASSERT_EQ(WriteTableFile(path, table), 0);
    TCurveFit engine;
    for (std::size_t i = 0; i < table.X.size(); ++i) engine.AddPoint(table.X[i], table.Y[i]);

    const std::string cancels = "c0 to c3 cancel when summed in doubles at these x";
    const TOutput cubic = Fit({"--model", "poly:3", path});
    ASSERT_EQ(cubic.status, 0) << cubic.err;
    const std::size_t note = cubic.out.find("\nnote     " + cancels);
    EXPECT_NE(note, std::string::npos) << cubic.out;
    EXPECT_EQ(cubic.out.find("cancel", note + 20), std::string::npos) << cubic.out;
    EXPECT_NE(cubic.out.find("\ncentred  y = d0 + d1*t + d2*t^2 + d3*t^3 with t = (x - centre) / scale\n"
                             "centre   1700358200\nscale    358200\nd0       "),
              std::string::npos)
        << cubic.out;
    const TOutput quadratic = Fit({"--model", "poly:2", path});
    EXPECT_EQ(quadratic.out.find("cancel"), std::string::npos) << quadratic.out;
    EXPECT_NE(quadratic.out.find("\nd2 "), std::string::npos) << quadratic.out;

    TModelChoice choice;
    std::string message;
    ASSERT_TRUE(ParseModel("poly:3", choice, message));
    const TModelFit direct = FitModel(engine, choice, {});
    ASSERT_EQ(direct.Result.Centered.Coefficients.size(), 4u);
    const auto items = CsvItems(Fit({"--model", "poly:3", "--format", "csv", path}).out);
    EXPECT_EQ(Bits(Read(items.at("centre"))), Bits(direct.Result.Centered.Centre));
    EXPECT_EQ(Bits(Read(items.at("scale"))), Bits(direct.Result.Centered.Scale));
    for (std::size_t j = 0; j < 4; ++j)
        EXPECT_EQ(Bits(Read(items.at("d" + std::to_string(j)))), Bits(direct.Result.Centered.Coefficients[j])) << j;
    EXPECT_EQ(items.at("raw_form_cancels"), "1");

    const TOutput json = Fit({"--model", "poly:3", "--format", "json", "--digits", "4", path});
    EXPECT_NE(json.out.find(", \"centered\": {\"centre\": 1.7e+09, \"scale\": 3.582e+05, \"coefficients\": ["),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("]}, \"raw_form_cancels\": true"), std::string::npos) << json.out;
    // The line has no centred form.
    EXPECT_EQ(Fit({"--format", "json", path}).out.find("centered"), std::string::npos);
    std::remove(path.c_str());
}

TEST(FitProgram, ComparesModelsBestFirst)
{
    // y = 2 x^2 + 1 exactly: the parabola and the cubic fit it fully; x = 0 leaves the
    // logarithmic models without a fit.
    const std::string path = TempFile("square.txt");
    TTable table;
    for (int i = 0; i <= 8; ++i) {
        table.X.push_back(i);
        table.Y.push_back(2.0 * i * i + 1.0);
    }
    ASSERT_EQ(WriteTableFile(path, table), 0);
    const TOutput run = Fit({"--model", "all", "--format", "csv", "--digits", "6", path});
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> order;
    std::vector<double> aic;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        const std::string model = line.substr(0, line.find(','));
        if (order.empty() || order.back() != model) order.push_back(model);
        if (line.find(",aic_y,") != std::string::npos) aic.push_back(Read(line.substr(line.rfind(',') + 1)));
    }
    ASSERT_EQ(order.size(), 14u);  // the eight of the engine and the six built-in nonlinear models
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 2), (std::vector<std::string>{"parabola", "poly:3"}));
    EXPECT_GE(aic.size(), 2u);
    EXPECT_TRUE(std::is_sorted(aic.begin(), aic.end()));
    // The failed ones come last, in the order "all" lists them.
    EXPECT_EQ(std::vector<std::string>(order.end() - 4, order.end()),
              (std::vector<std::string>{"log", "reciprocal-log", "exp", "saturation"}));
    EXPECT_NE(run.out.find("log,error,CalcLogFit: x values must not be negative or zero.\n"), std::string::npos);
    // R^2 in y beside the model's own quality: the reciprocal model regresses 1/y.
    EXPECT_NE(run.out.find("reciprocal,r_squared_y,-4.52484\n"), std::string::npos) << run.out;

    // The values at given x: the model's own, or why there is none.
    const auto at = CsvItems(Fit({"--model", "spline:0", "--format", "csv", "--at", "2,9", path}).out);
    EXPECT_EQ(at.at("y(2)"), "9");
    EXPECT_EQ(at.at("y(9)"), "outside the data");
    std::remove(path.c_str());
}

// The uncertainty of each parameter, the statistics and the bands in JSON, as R gives them for
// m <- lm(dist ~ speed, cars): predict(m, data.frame(speed = 30), interval = "prediction", level = 0.9)
// gives 100.393167883212, 72.4250039916971, 128.361331774726; deviance(m) 11353.5210510949.
TEST(FitProgram, PrintsUncertaintyStatisticsAndBands)
{
    const std::string path = TempFile("cars.csv");
    {
        std::ofstream f(path);
        const int speed[] = {4, 4, 7, 7, 8, 9, 10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13, 13, 13, 14, 14, 14, 14, 15, 15,
                             15, 16, 16, 17, 17, 17, 18, 18, 18, 18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
        const int dist[] = {2, 10, 4, 22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24, 28, 26, 34, 34, 46, 26, 36, 60, 80, 20, 26,
                            54, 32, 40, 32, 40, 50, 42, 56, 76, 84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92, 93, 120, 85};
        f << "\"\",\"speed\",\"dist\"\n";
        for (int i = 0; i < 50; ++i) f << '"' << i + 1 << "\"," << speed[i] << ',' << dist[i] << '\n';
    }
    const TOutput run = Fit({"--format", "json", "--digits", "12", "--band", "30,-1e300", "--level", "0.9", path});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* key : {"\"uncertainty\": {\"k\": {\"std_error\": 0.415512776657, \"t_value\": 9.4639899903, "
                            "\"p_value\": 1.4898364963e-12, \"ci_low\": ",
                            "\"statistics\": {\"n\": 50, \"dof\": 48, \"rss\": 11353.5210511, \"residual_std_error\": "
                            "15.3795867488, \"r_squared\": 0.651079380758, \"adj_r_squared\": 0.643810201191, "
                            "\"f_statistic\": 89.5671065365, \"f_p_value\": 1.4898364963e-12, \"aic\": 419.156863027, "
                            "\"bic\": 424.892932044}",
                            "\"level\": 0.9, \"band\": [{\"x\": 30, \"y\": 100.393167883, \"conf_low\": ",
                            "\"pred_low\": 72.4250039917, \"pred_high\": 128.361331775}"})
        EXPECT_NE(run.out.find(key), std::string::npos) << key << "\n" << run.out;
    // A band that leaves the doubles is no band, not a failure.
    EXPECT_NE(run.out.find("{\"x\": -1e+300, \"y\": null, \"conf_low\": null"), std::string::npos) << run.out;

    // The text shows the same as a table a person reads.
    const TOutput text = Fit({"--digits", "6", path});
    EXPECT_NE(text.out.find("parameter  estimate  std. error  t value   p value      95 % from  to\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("residual std. error      15.3796 on 48 degrees of freedom\n"), std::string::npos) << text.out;
    std::remove(path.c_str());
}

// Known standard deviations of y in a column: weighted least squares, the errors rescaled by s^2
// unless --absolute-sigma; a sigma that is zero, negative or missing is an error naming its row.
TEST(FitProgram, WeighsByAColumnOfStandardDeviations)
{
    const std::string path = TempFile("sigma.txt");
    const auto write = [&](const std::string& text) {
        std::ofstream f(path);
        f << text;
    };
    write("1 2.1 0.1\n2 3.9 0.2\n3 6.2 0.1\n4 7.8 0.3\n5 10.1 0.2\n6 12.2 0.1\n");
    // R: lm(y ~ x, weights = 1/sg^2) gives k = 2.0196917094847944, se 0.0236037066409922; the
    // unscaled se is 0.0268723264253408.
    const auto scaled = CsvItems(Fit({"--sigma-column", "3", "--format", "csv", path}).out);
    EXPECT_NEAR(Read(scaled.at("k")), 2.0196917094847944, 1e-13);
    EXPECT_NEAR(Read(scaled.at("std_error:k")), 0.0236037066409922, 1e-14);
    const auto absolute = CsvItems(Fit({"--sigma-column", "3", "--absolute-sigma", "--format", "csv", path}).out);
    EXPECT_NEAR(Read(absolute.at("std_error:k")), 0.0268723264253408, 1e-14);

    write("1 2.1 0.1\n2 3.9 0\n3 6.2 0.1\n");
    const TOutput zero = Fit({"--sigma-column", "3", path});
    EXPECT_EQ(zero.status, 2);
    EXPECT_NE(zero.err.find("data row 2: the standard deviation 0 is not a positive number (column 3)"),
              std::string::npos) << zero.err;
    write("1 2.1 0.1\n2 3.9\n3 6.2 0.1\n");
    const TOutput missing = Fit({"--sigma-column", "3", path});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(":2: no value in column 3"), std::string::npos) << missing.err;
    EXPECT_EQ(Fit({"--absolute-sigma", path}).status, 2);
    write("1 2.1 0.1\n2 3.9 0.2\n3 6.2 0.1\n");
    const TOutput exp = Fit({"--sigma-column", "3", "--model", "exp", path});
    EXPECT_EQ(exp.status, 1);
    EXPECT_NE(exp.err.find("apply to the line, the parabola and the polynomial only"), std::string::npos) << exp.err;
    std::remove(path.c_str());
}

// The spline smoothed for the user: by generalised cross-validation, or for degrees of freedom;
// both report the factor they amount to, df and gcv, and a df beyond the data is refused.
TEST(FitProgram, ChoosesTheSplinesSmoothing)
{
    const std::string path = TempFile("ties.txt");
    TTable table;
    for (int i = 0; i < 60; ++i) {
        table.X.push_back(i % 20);   // every x three times
        table.Y.push_back(std::sin(0.3 * (i % 20)) + 0.1 * ((i * 7) % 5));
    }
    ASSERT_EQ(WriteTableFile(path, table), 0);
    const auto chosen = CsvItems(Fit({"--model", "spline:df=6", "--format", "csv", path}).out);
    EXPECT_NEAR(Read(chosen.at("df")), 6.0, 1e-6);
    EXPECT_GT(Read(chosen.at("smoothing")), 0.0);
    EXPECT_GT(Read(chosen.at("gcv")), 0.0);
    const auto automatic = CsvItems(Fit({"--model", "spline:auto", "--format", "csv", path}).out);
    EXPECT_GT(Read(automatic.at("df")), 2.0);
    EXPECT_LE(Read(automatic.at("df")), 20.0);
    EXPECT_EQ(automatic.count("gcv"), 1u);
    const TOutput tooMany = Fit({"--model", "spline:df=21", path});
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_NE(tooMany.err.find("degrees of freedom must lie from 2 to the number of distinct x"), std::string::npos)
        << tooMany.err;
    const TOutput bad = Fit({"--model", "spline:df=1", path});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("spline:df=N takes degrees of freedom N from 2"), std::string::npos) << bad.err;
    std::remove(path.c_str());
}

TEST(FitModel, ALineThroughPointsOfOneXIsNoFit)
{
    TCurveFit engine;
    engine.AddPoint(1.0, 2.0);
    engine.AddPoint(1.0, 3.0);
    TModelChoice line;
    std::string message;
    ASSERT_TRUE(ParseModel("line", line, message));
    const TModelFit fit = FitModel(engine, line, {});
    EXPECT_FALSE(fit.Ok);
    EXPECT_EQ(fit.Message, "line: all x values are equal, so no line is determined");
}

TEST(FitModel, ValuesWhereTheModelHasNone)
{
    TCurveFit engine;
    for (double x : {1.0, 2.0, 4.0}) engine.AddPoint(x, 1.0 + std::log(x));
    TModelChoice log;
    std::string message;
    ASSERT_TRUE(ParseModel("log", log, message));
    const TModelFit fit = FitModel(engine, log, TFitRequest{{0.0, -1.0, std::exp(1.0)}});
    ASSERT_TRUE(fit.Ok);
    EXPECT_FALSE(fit.Values[0].Defined);
    EXPECT_FALSE(fit.Values[1].Defined);
    EXPECT_EQ(fit.Values[1].Note, "undefined");
    EXPECT_TRUE(fit.Values[2].Defined);
    EXPECT_NEAR(fit.Values[2].Y, 2.0, 1e-14);
}

// Values at x where the window and kalmira-fit used to part: the program's printed value and the
// window's evaluation (the fit and value calls of its fit commands) now agree, both where a
// number exists and where the evaluation really overflows.
TEST(FitModel, ValuesAgreeWithTheWindows)
{
    struct Row {
        const char* model;
        std::vector<std::pair<double, double>> points;
        double x;
        const char* note;   // the csv text of y(x) where there is no number; nullptr for a number
        double near;        // that number, to 12 digits
    };
    const std::vector<std::pair<double, double>> line = {{0, 1}, {1, 3}, {2, 5}};
    const std::vector<Row> rows = {
        {"poly:1", line, 1e200, nullptr, 2e200},
        {"line", line, 1e200, nullptr, 2e200},
        {"poly:2", {{-1, 1}, {0, 0}, {1, 1}, {2, 4}}, 1e150, nullptr, 1e300},
        {"poly:0", line, 1e300, nullptr, 3},
        {"poly:1", line, 1e308, "floating-point overflow", 0},
        {"line", line, 1e308, "floating-point overflow", 0},
        {"exp", {{1, 2}, {2, 4}, {3, 8}}, 1100, "floating-point overflow", 0},
        {"log", {{1, 1}, {2, 2}, {4, 3}}, 0, "undefined", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.model) + " at " + std::to_string(r.x));
        const std::string path = TempFile("agree.txt");
        {
            std::ofstream f(path);
            for (auto [x, y] : r.points) f << x << ' ' << y << '\n';
        }
        char at[32];
        std::snprintf(at, sizeof at, "%.17g", r.x);
        const auto items = CsvItems(Fit({"--model", r.model, "--format", "csv", "--at", at, path}).out);
        std::remove(path.c_str());
        const auto printed = std::find_if(items.begin(), items.end(), [](const auto& i) { return i.first.starts_with("y("); });
        ASSERT_NE(printed, items.end());
        if (r.note) {
            EXPECT_EQ(printed->second, r.note);
        } else {
            EXPECT_NEAR(Read(printed->second), r.near, 1e-12 * r.near) << printed->second;
        }

        TCurveFit engine;
        for (auto [x, y] : r.points) engine.AddPoint(x, y);
        TModelChoice choice;
        std::string message;
        ASSERT_TRUE(ParseModel(r.model, choice, message));
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(engine, choice, fit));
        double y = 0;
        if (printed->second == "floating-point overflow") {
            EXPECT_THROW(ModelValue(fit, r.x, y), EOverflow);
        } else if (printed->second == "undefined") {
            EXPECT_FALSE(ModelValue(fit, r.x, y));
        } else {
            ASSERT_TRUE(ModelValue(fit, r.x, y));
            EXPECT_EQ(Bits(y), Bits(Read(printed->second)));
        }
    }
}

}  // namespace
