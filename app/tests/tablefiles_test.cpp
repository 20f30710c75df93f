// The window's table files: loading through the menu, a drop and the command-line road, saving
// in each type, and the failures that must leave the table, the engine and the chart as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>
#include <QRegularExpression>
#include <QDropEvent>
#include <QTest>
#include <bit>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <random>
#include <sys/resource.h>

#include "app/filedialog.h"
#include "app/floatedit.h"
#include "app/speedbutton.h"
#include "app/frmmain.h"
#include "app/tablefiles.h"
#include "app/valuegrid.h"
#include "chart/chart.h"
#include "platform/msgbox.h"

namespace {

class TableFiles : public ::testing::Test {
protected:
    TableFiles()
        : m_boxes([this](const TMessageBoxRequest& r) { Boxes.push_back(r); }),
          m_dialogs([this](TFileDialogRequest& r) {
              Requests.push_back(r);
              r.FileName = Answer;
              r.Filter = AnswerFilter;
              r.SkipMissing = AnswerSkipMissing;
          })
    {
        W.show();
        QApplication::processEvents();
    }

    std::string Path(const std::string& name) const { return QDir(Dir.path()).filePath(QString::fromStdString(name)).toStdString(); }
    std::string Write(const std::string& name, const std::string& content) const
    {
        const std::string p = Path(name);
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    TValueGridModel& Grid() { return W.WerteTabelleGrid->Model(); }
    void Load(const std::string& path, bool skipMissing = false)
    {
        Answer = path;
        AnswerSkipMissing = skipMissing;
        W.WerteTabelleladen1->trigger();
    }
    void Save(const std::string& path, int filter)
    {
        Answer = path;
        AnswerFilter = filter;
        W.WerteTabellespeichern1->trigger();
    }
    // The grid's data rows as (x, y) bits, up to the last filled row.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> GridBits()
    {
        std::vector<double> x, y;
        Grid().FilledRows(x, y);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> bits;
        for (std::size_t i = 0; i < x.size(); ++i)
            bits.emplace_back(std::bit_cast<std::uint64_t>(x[i]), std::bit_cast<std::uint64_t>(y[i]));
        return bits;
    }

    QTemporaryDir Dir;
    std::vector<TMessageBoxRequest> Boxes;
    std::vector<TFileDialogRequest> Requests;
    std::string Answer;
    int AnswerFilter = 0;
    bool AnswerSkipMissing = false;
    TFrmMain W;

private:
    TMessageBoxHookScope m_boxes;
    struct DialogHookScope {
        explicit DialogHookScope(TFileDialogHook h) : previous(SetFileDialogHook(std::move(h))) {}
        ~DialogHookScope() { SetFileDialogHook(std::move(previous)); }
        TFileDialogHook previous;
    } m_dialogs;
};

}  // namespace

// Each layout the reader takes lands in the grid, which grows to hold it; "Werte übernehmen"
// then makes the points.
TEST_F(TableFiles, LoadFillsTheGridFromEveryLayout)
{
    const struct {
        const char* name;
        const char* content;
    } files[] = {
        {"comma.csv", "x,y\n1,2.5\n-0.25,3\n4,1e3\n"},
        {"semicolon.csv", "x;y\r\n1;2,5\r\n-0,25;3\r\n4;1000\r\n"},
        {"tabs.txt", "1\t2.5\n-0.25\t3\n4\t1000\n"},
        {"cfit.asc", "Data exported from QZL TCurveFit\r\n2\t;nr. of columns\r\n3\t;nr. of rows\r\n"
                     "FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n"
                     "1.000000\t2.500000\r\n-0.250000\t3.000000\r\n4.000000\t1000.000000\r\n"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        Grid().ClearCells();
        Load(Write(f.name, f.content));
        EXPECT_TRUE(Boxes.empty());
        std::vector<double> x, y;
        Grid().FilledRows(x, y);
        EXPECT_EQ(x, (std::vector<double>{1, -0.25, 4}));
        EXPECT_EQ(y, (std::vector<double>{2.5, 3, 1000}));
    }
    ASSERT_EQ(Requests.size(), 4u);
    EXPECT_EQ(Requests[0].Kind, fdkOpen);
    EXPECT_TRUE(Requests[0].OfferSkipMissing);

    std::string big = "x,y\n";
    for (int i = 1; i <= 10000; ++i) big += std::to_string(i) + "," + std::to_string(2 * i) + "\n";
    Load(Write("big.csv", big));
    EXPECT_EQ(Grid().DataRows(), 10001) << "the file's rows and an empty one to type on";
    QTest::mouseClick(W.WerteUebernehmenBtn, Qt::LeftButton);
    EXPECT_EQ(W.Stats1().PointCount(), 10000);
    EXPECT_TRUE(Boxes.empty());
}

// A file that cannot be read shows one box naming the file, the line, the column and the text
// found; the grid, the engine and the chart keep exactly what they had.
TEST_F(TableFiles, BadFilesChangeNothing)
{
    std::string badLine = "x,y\n";
    for (int i = 1; i <= 10000; ++i) badLine += (i == 4999 ? std::string("12,zwölf") : std::to_string(i) + ",1") + "\n";
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {Write("empty.csv", ""), "Die Datei „empty.csv“ enthält keine Zeile mit Zahlen."},
        {Write("bad.csv", badLine), "Datei „bad.csv“, Zeile 5000, Spalte 2: „zwölf“ ist keine Zahl."},
        {Write("binary.dat", std::string("1,2\n3,\0\x01\x02", 9)), "Datei „binary.dat“, Zeile 2: ein NUL-Byte; die Datei ist keine Textdatei."},
        {Path("missing.csv"), "Die Datei „missing.csv“ lässt sich nicht öffnen: "},
        {Write("na.csv", "x,y\n1,2\n2,NA\n3,4\n"), "Datei „na.csv“, Zeile 3, Spalte 2: hier fehlt ein Wert"},
        {Write("labels.csv", "name,x,y\na,1,2\nb,3,4\n"), "Datei „labels.csv“, Zeile 2, Spalte 1: „a“ ist keine Zahl. Spalten im Kopf: „name“, „x“, „y“"},
    };
    for (int row = 1; row <= 3; ++row) {
        Grid().SetCell(0, row, std::to_string(row));
        Grid().SetCell(1, row, std::to_string(row * row));
    }
    QTest::mouseClick(W.WerteUebernehmenBtn, Qt::LeftButton);
    const auto before = GridBits();
    const int items = W.RChart1->ItemCount();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Boxes.clear();
        Load(c.path);
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(Boxes[0].Text.substr(0, c.expected.size()), c.expected);
        EXPECT_EQ(Boxes[0].Icon, mbiError);
        EXPECT_EQ(GridBits(), before);
        EXPECT_EQ(W.Stats1().PointCount(), 3);
        EXPECT_EQ(W.RChart1->ItemCount(), items);
    }
}

// Saved in each type and loaded again, every double comes back bit for bit, -0 and denormals
// included; the old file is replaced.
TEST_F(TableFiles, SaveAndLoadGiveTheSameDoubles)
{
    std::mt19937_64 rng(20);
    std::vector<double> x = {-0.0, 1e-300, 1e300, 5e-324, 2.2250738585072009e-308, 0.1, -123456789.12345678},
                        y = {1, -1e-300, -1e300, -5e-324, 1.7976931348623157e308, 1.0 / 3.0, 2.0 / 3.0};
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 200; ++i) {
        x.push_back(std::ldexp(mantissa(rng), exponent(rng)));
        y.push_back(std::ldexp(mantissa(rng), exponent(rng)));
    }
    Grid().SetNumbers(x, y);
    const auto before = GridBits();
    for (int filter : {0, 1, 2}) {
        SCOPED_TRACE(filter);
        const std::string path = Write("saved" + std::to_string(filter), "old content");
        Save(path, filter);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        // A name without an extension gets that of the type; the old file stays untouched.
        const std::string written = path + (filter == 0 ? ".csv" : filter == 1 ? ".asc" : ".txt");
        EXPECT_EQ(ReadAll(path), "old content");
        Grid().ClearCells();
        Load(written);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        EXPECT_EQ(GridBits(), before);
        // Saved again under its own name, the file is replaced by the same text.
        const std::string first = ReadAll(written);
        Save(written, filter);
        EXPECT_EQ(ReadAll(written), first);
    }
    EXPECT_EQ(Requests.back().Kind, fdkSave);
    EXPECT_EQ(QDir(Dir.path()).entryList(QStringList() << "*.tmp*", QDir::Hidden | QDir::Files).size(), 0);
}

// A save that cannot complete leaves the old file as it was and says why.
TEST_F(TableFiles, FailedSaveKeepsTheOldFile)
{
    Grid().SetNumbers(std::vector<double>(20000, 1.25), std::vector<double>(20000, -2.5));
    Save(Path("no-such-folder/table.csv"), 0);
    ASSERT_EQ(Boxes.size(), 1u);
    const std::string notSaved = "Die Datei „table.csv“ wurde nicht gespeichert: ";
    EXPECT_EQ(Boxes[0].Text.substr(0, notSaved.size()), notSaved);

    // A full disk, made by a file size limit far below the table's size.
    const std::string old = Write("kept.csv", "x,y\n1,2\n");
    Boxes.clear();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    Save(old, 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_NE(Boxes[0].Text.find("kept.csv"), std::string::npos);
    EXPECT_EQ(ReadAll(old), "x,y\n1,2\n");
    EXPECT_EQ(QDir(Dir.path()).entryList(QStringList() << "*.tmp*", QDir::Hidden | QDir::Files).size(), 0);

    // A grid row with only one value is no table row: nothing is written.
    Boxes.clear();
    Grid().SetCell(1, 20001, "7");
    Save(old, 0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(ReadAll(old), "x,y\n1,2\n");
}

// With "skip rows with gaps" checked, rows with an empty or NA cell are passed over and counted.
TEST_F(TableFiles, SkipMissingPassesOverRowsWithGaps)
{
    Load(Write("gaps.csv", "x;y\n1;2\n2;NA\n3;\n4;8\n"), true);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Übersprungen wegen fehlender Werte: 2 Zeile(n), die erste ist Zeile 3");
    EXPECT_EQ(Boxes[0].Icon, mbiInformation);
    std::vector<double> x, y;
    Grid().FilledRows(x, y);
    EXPECT_EQ(x, (std::vector<double>{1, 4}));
    EXPECT_EQ(y, (std::vector<double>{2, 8}));
}

// A file dropped onto the window is loaded like one chosen in the dialog.
TEST_F(TableFiles, DroppedFileIsLoaded)
{
    const std::string path = Write("dropped.csv", "x,y\n1,10\n2,20\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&W, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&W, &drop);
    std::vector<double> x, y;
    Grid().FilledRows(x, y);
    EXPECT_EQ(y, (std::vector<double>{10, 20}));
    EXPECT_TRUE(Requests.empty());
}

// A long load shows its progress; cancelling it leaves the grid as it was.
TEST_F(TableFiles, CancelledLongLoadKeepsTheGrid)
{
    std::string big = "x,y\n";
    for (int i = 1; i <= 300000; ++i) big += std::to_string(i) + ".5," + std::to_string(i) + "\n";
    const std::string path = Write("long.csv", big);
    Grid().SetCell(0, 1, "42");
    bool sawDialog = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* p = W.findChild<QProgressDialog*>()) {
            sawDialog = true;
            p->cancel();
        }
    });
    timer.start(0);
    Load(path);
    timer.stop();
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Grid().DataRows(), 24);
    EXPECT_EQ(Grid().CellValue(0, 1), 42.0);
}

// The file written on closing loads back into the same points, to its six decimals.
TEST_F(TableFiles, DataFileOfTheClosingLoadsBack)
{
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    TFrmMain other;
    other.show();
    const std::vector<double> x = {1.5, -2.25, 1e5 / 3}, y = {3.0, 1.0 / 7, -4.125};
    for (std::size_t i = 0; i < x.size(); ++i) other.Stats1().AddPoint(x[i], y[i]);
    other.close();
    QDir::setCurrent(old);
    Load(Path("cfit.asc"));
    ASSERT_TRUE(Boxes.empty());
    std::vector<double> gx, gy;
    Grid().FilledRows(gx, gy);
    ASSERT_EQ(gx.size(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(gx[i], x[i], 5e-7);
        EXPECT_NEAR(gy[i], y[i], 5e-7);
    }
}

// "Grafik speichern": PNG at the screen's size is the screen's picture; at 2x and 3x and as SVG
// the chart is drawn again from its drawing operations: marks and curve at scaled places, the
// SVG with the curve's points and the tick labels as text.
TEST_F(TableFiles, SavedPicturesShowTheChart)
{
    // Points on the line y = x + 1 and one far below it, at (8, 2).
    const double entered[][2] = {{2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {8, 2}};
    for (int row = 1; row <= 6; ++row) {
        Grid().SetCell(0, row, std::to_string(int(entered[row - 1][0])));
        Grid().SetCell(1, row, std::to_string(int(entered[row - 1][1])));
    }
    QTest::mouseClick(W.WerteUebernehmenBtn, Qt::LeftButton);
    QTest::mouseClick(W.BButLinFit, Qt::LeftButton);
    ASSERT_TRUE(Boxes.empty());
    TRChart& chart = *W.RChart1;
    int mx = 0, my = 0;
    chart.WorldToMouse(1, 8, 2, mx, my);   // the mark far from the curve

    Answer = Path("chart.png");
    AnswerFilter = 0;
    W.Grafikspeichern1->trigger();
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    const QImage screen(QString::fromStdString(Path("chart.png")));
    EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32), chart.grab().toImage().convertToFormat(QImage::Format_RGB32));

    for (int factor : {2, 3}) {
        SCOPED_TRACE(factor);
        Answer = Path("chart" + std::to_string(factor));
        AnswerFilter = factor - 1;
        W.Grafikspeichern1->trigger();
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        const QImage big(QString::fromStdString(Answer + ".png"));
        ASSERT_EQ(big.size(), chart.size() * factor);
        // The mark far from the curve is drawn as a figure, around its scaled centre.
        EXPECT_NE(big.pixel(mx * factor + factor / 2, my * factor + factor / 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_NE(big.pixel(mx * factor + factor / 2 + 2 * factor, my * factor + factor / 2) & 0xFFFFFF, 0xFFFFFFu);
        // Far from every mark and the curve the chart area stays white.
        int fx = 0, fy = 0;
        chart.WorldToMouse(1, 8.7, 1.3, fx, fy);
        EXPECT_EQ(big.pixel(fx * factor, fy * factor) & 0xFFFFFF, 0xFFFFFFu);
    }

    Answer = Path("chart.svg");
    AnswerFilter = 3;
    W.Grafikspeichern1->trigger();
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    QFile file(QString::fromStdString(Answer));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<QPointF> points;
    QStringList texts;
    std::vector<QPointF> shifts{{0, 0}};   // the translation of each open group
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("g") && shifts.size() > 1) shifts.pop_back();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("g")) {
            QPointF shift = shifts.back();
            const QRegularExpressionMatch m =
                QRegularExpression("matrix\\(1,0,0,1,([-0-9.e]+),([-0-9.e]+)\\)").match(xml.attributes().value("transform").toString());
            if (m.hasMatch()) shift += QPointF(m.captured(1).toDouble(), m.captured(2).toDouble());
            shifts.push_back(shift);
        } else if (xml.name() == QLatin1String("polyline")) {
            const QStringList pairs = xml.attributes().value("points").toString().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
            for (const QString& pair : pairs) {
                const QStringList xy = pair.split(',');
                if (xy.size() == 2) points.push_back(QPointF(xy[0].toDouble(), xy[1].toDouble()) + shifts.back());
            }
        } else if (xml.name() == QLatin1String("text")) {
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    // The curve's ends, at the axis range's ends, are points of a polyline.
    for (double x : {chart.Scale1X().RangeLow(), chart.Scale1X().RangeHigh()}) {
        int px = 0, py = 0;
        double k = 0, d = 0, quality = 0;
        W.Stats1().CalcLinFit(k, d, quality);
        chart.WorldToMouse(1, x, k * x + d, px, py);
        const bool found = std::any_of(points.begin(), points.end(), [&](const QPointF& p) {
            return std::abs(p.x() - (px + 0.5)) <= 1.0 && std::abs(p.y() - (py + 0.5)) <= 1.0;
        });
        EXPECT_TRUE(found) << "curve point at x " << x;
    }
    EXPECT_TRUE(texts.contains("5.0")) << texts.join('|').toStdString();
}

namespace {

// One drawn element of a saved SVG: the points it reaches, in picture coordinates, and the
// colours it is stroked and filled with ("none" when not).
struct TSvgFigure {
    QString name, stroke, fill;
    std::vector<QPointF> points;
};

std::vector<double> Numbers(const QString& text)
{
    std::vector<double> out;
    static const QRegularExpression number("-?[0-9]*\\.?[0-9]+(e-?[0-9]+)?");
    for (auto it = number.globalMatch(text); it.hasNext();) out.push_back(it.next().captured().toDouble());
    return out;
}

std::vector<TSvgFigure> SvgFigures(const QString& fileName)
{
    struct TGroup {
        QPointF shift;
        QString stroke, fill;
    };
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<TGroup> groups{{QPointF(0, 0), "none", "black"}};
    std::vector<TSvgFigure> figures;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("g")) groups.pop_back();
        if (!xml.isStartElement()) continue;
        const QXmlStreamAttributes a = xml.attributes();
        TGroup g = groups.back();
        if (a.hasAttribute("stroke")) g.stroke = a.value("stroke").toString();
        if (a.hasAttribute("fill")) g.fill = a.value("fill").toString();
        if (xml.name() == QLatin1String("g")) {
            const std::vector<double> m = Numbers(a.value("transform").toString());
            if (m.size() == 6) g.shift += QPointF(m[4], m[5]);
            groups.push_back(g);
            continue;
        }
        TSvgFigure f{xml.name().toString(), g.stroke, g.fill, {}};
        const auto at = [&](double x, double y) { f.points.push_back(QPointF(x, y) + g.shift); };
        const auto num = [&](const char* n) { return a.value(n).toDouble(); };
        if (f.name == "polyline" || f.name == "polygon" || f.name == "path") {
            const std::vector<double> v = Numbers(a.value(f.name == "path" ? "d" : "points").toString());
            for (std::size_t i = 0; i + 1 < v.size(); i += 2) at(v[i], v[i + 1]);
        } else if (f.name == "line") {
            at(num("x1"), num("y1"));
            at(num("x2"), num("y2"));
        } else if (f.name == "rect" || f.name == "image") {
            at(num("x"), num("y"));
            at(num("x") + num("width"), num("y") + num("height"));
        } else if (f.name == "ellipse" || f.name == "circle") {
            const double rx = f.name == "circle" ? num("r") : num("rx"), ry = f.name == "circle" ? num("r") : num("ry");
            at(num("cx") - rx, num("cy") - ry);
            at(num("cx") + rx, num("cy") + ry);
        } else if (f.name == "text") {
            at(num("x"), num("y"));
        } else {
            continue;
        }
        figures.push_back(f);
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return figures;
}

}  // namespace

// A line and marks that leave the chart area are cut at its edge in a saved SVG, as on the
// screen and in the PNG: no figure in the data colour reaches outside the area.
TEST_F(TableFiles, SavedSvgIsClippedToTheDataArea)
{
    const int entered[][2] = {{1, 3}, {2, 6}, {3, 8}, {4, 12}, {5, 14}, {6, 17}};
    for (int row = 1; row <= 6; ++row) {
        Grid().SetCell(0, row, std::to_string(entered[row - 1][0]));
        Grid().SetCell(1, row, std::to_string(entered[row - 1][1]));
    }
    QTest::mouseClick(W.WerteUebernehmenBtn, Qt::LeftButton);
    // Back to 0..10 on both axes: the upper marks and the line's right end leave the area.
    W.GraphXmaxEdit->SetValue(10);
    W.GraphYmaxEdit->SetValue(10);
    QTest::mouseClick(W.ResetAxisButton, Qt::LeftButton);
    QTest::mouseClick(W.BButLinFit, Qt::LeftButton);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    Answer = Path("clipped.svg");
    AnswerFilter = 3;
    W.Grafikspeichern1->trigger();
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;

    const TRChart& chart = *W.RChart1;
    // The data area in picture pixels, widened by half a pixel for a line's width.
    const QRectF area = QRectF(chart.MarginLeft(), chart.MarginTop(), chart.AreaWidth(), chart.AreaHeight())
                            .adjusted(-0.5, -0.5, 0.5, 0.5);
    const QString data = "#008000";
    int dataFigures = 0;
    for (const TSvgFigure& f : SvgFigures(QString::fromStdString(Answer))) {
        if (f.stroke != data && f.fill != data) continue;
        ++dataFigures;
        for (const QPointF& p : f.points)
            EXPECT_TRUE(area.contains(p)) << f.name.toStdString() << " at " << p.x() << ", " << p.y();
    }
    EXPECT_EQ(dataFigures, 3 + 1) << "the three marks inside the area and the line";
}

// Saving into a folder that does not exist names the missing path, for tables and pictures.
TEST_F(TableFiles, SavingIntoAMissingFolderSaysThePathIsNotFound)
{
    Grid().SetCell(0, 1, "1");
    Grid().SetCell(1, 1, "2");
    Save(Path("no-such-folder/table.csv"), 0);
    Answer = Path("no-such-folder/chart.png");
    AnswerFilter = 0;
    W.Grafikspeichern1->trigger();
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].Text, "Die Datei „table.csv“ wurde nicht gespeichert: Pfad nicht gefunden.");
    EXPECT_EQ(Boxes[1].Text, "Das Bild „chart.png“ wurde nicht gespeichert: Pfad nicht gefunden.");
}

// A loaded table whose values reach far beyond the axes has both axes fitted to it at once, and
// "Werte übernehmen" then shows every point.
TEST_F(TableFiles, LoadedTableGetsAxesThatShowIt)
{
    Load(Write("wide.csv", "x,y\n0.4,1.5\n500,480\n1000,1002\n"));
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    const TRChart& chart = *W.RChart1;
    EXPECT_EQ(chart.ScalePropsX(1).RangeLow(), 0.0);
    EXPECT_DOUBLE_EQ(chart.ScalePropsX(1).RangeHigh(), 1000 + 999.6 * 0.05);
    EXPECT_EQ(chart.ScalePropsY(1).RangeLow(), 0.0);
    EXPECT_DOUBLE_EQ(chart.ScalePropsY(1).RangeHigh(), 1002 + 1000.5 * 0.05);
    EXPECT_DOUBLE_EQ(W.GraphXmaxEdit->Value(), 1049.98) << "written with two decimals";
    QTest::mouseClick(W.WerteUebernehmenBtn, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(chart.ScalePropsX(1).RangeHigh(), 1000 + 999.6 * 0.05) << "the points are in sight";
    for (double x : {0.4, 500.0, 1000.0}) {
        int px = 0, py = 0;
        chart.WorldToMouse(1, x, x, px, py);
        EXPECT_TRUE(chart.ChartArea().Contains(px, py)) << x;
    }
}
