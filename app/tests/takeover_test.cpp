// The value table and its take-over: typed and pasted cells, the rows the table keeps, and what
// "Werte übernehmen" and the clearing commands leave in the engine and the chart.
#include "mainwindow.h"

// A second table replaces the first in the chart as in the engine: its marks and its curve go,
// and the labels, the marks and the line all describe the new table.
TEST_F(MainWindow, TakeOverReplacesTheChartsMarksAndCurve)
{
    EnterTable({{1, 2}, {2, 3}, {3, 5}, {4, 6}});
    Click(W.BButLinFit);
    EnterTable({{1, 8}, {2, 7}, {3, 5}, {4, 4.5}});
    EXPECT_TRUE(Curve().empty()) << "the old line went with its table";
    EXPECT_TRUE(W.NLabFitQual->Empty());
    Click(W.BButLinFit);
    EXPECT_EQ(Params(), "k = -1.250    d = 9.250");
    const std::vector<TProbeItem> all = Items(*W.RChart1);
    ASSERT_EQ(all.size(), 4u + 2u);
    const double ys[] = {8, 7, 5, 4.5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(all[std::size_t(i)].Kind, ikMark);
        EXPECT_EQ(all[std::size_t(i)].Y, ys[i]);
    }
    EXPECT_EQ(all[5].Y, -1.25 * all[5].X + 9.25);

    // Points clicked in afterwards join the table's, in the chart and in the engine.
    EnterByClicks({{100, 100}});
    EXPECT_EQ(Marks(), 5);
    EXPECT_EQ(W.Stats1().PointCount(), 5);
    Click(W.SBClear);
    EXPECT_TRUE(Items(*W.RChart1).empty());
}

TEST_F(MainWindow, EmptyTableLeavesAnEmptyChart)
{
    EnterTable({{1, 1}, {2, 2}, {3, 4}});
    Click(W.WerteUebernehmenBtn);
    EXPECT_EQ(W.Stats1().PointCount(), 3);
    EXPECT_EQ(Marks(), 3) << "the same table again replaces its own marks";

    W.WerteTabelleGrid->Model().ClearCells();
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Tabelle ist leer");
    EXPECT_EQ(Boxes[0].Icon, mbiWarning);
    EXPECT_TRUE(Boxes[0].TopMost);
    EXPECT_EQ(W.Stats1().PointCount(), 0);
    EXPECT_EQ(Marks(), 0);
}

// A table reaching beyond the axes has both axes fitted to it, with a margin and from 0 where the
// data start near it; the edits take the upper ends. A table in sight leaves the axes alone.
TEST_F(MainWindow, TakeOverBeyondTheAxesFitsThemToTheData)
{
    EnterTable({{2, 1}, {5, 3}, {9, 4}});
    EXPECT_EQ(W.RChart1->Scale1X().RangeHigh(), 10.0);
    EXPECT_EQ(W.RChart1->Scale1Y().RangeHigh(), 10.0);

    EnterTable({{100, 50}, {400, -20}, {1000, 300}});
    const TRChart& c = *W.RChart1;
    EXPECT_EQ(c.ScalePropsX(1).RangeLow(), 0.0) << "x from 100, nearer to 0 than its span of 900";
    EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeHigh(), 1045.0);
    EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeLow(), -36.0);
    EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeHigh(), 316.0);
    EXPECT_EQ(W.GraphXmaxEdit->text(), "1045,00");
    EXPECT_EQ(W.GraphYmaxEdit->text(), "316,00");

    // Far from 0 the axis shows the data's own range.
    EnterTable({{5000, 1}, {5100, 2}});
    EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeLow(), 4995.0);
    EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeHigh(), 5105.0);
    EXPECT_TRUE(Boxes.empty());
}

// The grid keeps an empty row at its end: typing goes on below the last row, the table grows,
// and no row is written over. Tab at the very last cell stays there.
TEST_F(MainWindow, GridKeepsAnEmptyRowAndGrowsAsTheUserTypes)
{
    TValueGrid* grid = W.WerteTabelleGrid;
    ASSERT_EQ(grid->Model().rowCount(), 24);
    QApplication::setActiveWindow(&W);
    grid->setFocus();
    grid->setCurrentIndex(grid->Model().index(0, 0));
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    const auto type = [](const std::string& text) {
        for (char c : text) QTest::keyClick(QApplication::focusWidget(), c);
    };
    for (int row = 1; row <= 26; ++row) {
        type(std::to_string(row));
        key(Qt::Key_Tab);
        type(std::to_string(2 * row));
        key(Qt::Key_Tab);
    }
    QApplication::processEvents();
    const TValueGridModel& m = grid->Model();
    EXPECT_EQ(m.rowCount(), 27) << "26 typed rows and the empty one";
    for (int row = 1; row <= 26; ++row) {
        EXPECT_EQ(m.CellValue(0, row), double(row)) << row;
        EXPECT_EQ(m.CellValue(1, row), double(2 * row)) << row;
    }
    EXPECT_EQ(grid->currentIndex(), m.index(26, 0)) << "the cursor waits in the empty row";
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->currentIndex(), m.index(26, 1)) << "Tab does not go round to row 1";

    // A table from a file has its empty row too.
    grid->Model().TakeRows({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(grid->Model().rowCount(), 4);
    EXPECT_TRUE(grid->Model().CellEmpty(0, 4));
    grid->Model().SetCell(0, 4, "7");
    EXPECT_EQ(grid->Model().rowCount(), 5);
}

// Keys typed right after a click on the cell that is already current all arrive, fast or slow,
// also after a file was loaded (which leaves the first cell current).
TEST_F(MainWindow, NoKeystrokeIsLostAfterClickingTheCurrentCell)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("three.csv");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x,y\n1,2\n3,4\n5,6\n");
    }
    const struct {
        const char* name;
        std::function<void()> start;   // leaves the first cell current
        int pauseMs;                   // between the keys
    } cases[] = {
        {"after Clear Table, fast", [&] { Click(W.BitBtn2); }, 0},
        {"after Clear Table, slow", [&] { Click(W.BitBtn2); }, 150},
        {"after loading a file", [&] { W.LoadTableFile(file.toStdString()); }, 0},
    };
    TValueGrid* grid = W.WerteTabelleGrid;
    QApplication::setActiveWindow(&W);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.start();
        const QRect cell = grid->visualRect(grid->Model().index(0, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_Tab, Qt::Key_5}) {
            QTest::keyClick(QApplication::focusWidget(), k);
            QTest::qWait(c.pauseMs);
        }
        QTest::qWait(QApplication::doubleClickInterval() + 100);   // a delayed editor would open now
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(grid->Model().CellText(0, 1), "123");
        EXPECT_EQ(grid->Model().CellText(1, 1), "5");
    }
    EXPECT_TRUE(Boxes.empty());
}

// "Clear Table" with the table scrolled down: typing goes on in row 1, in sight.
TEST_F(MainWindow, ClearTableReturnsToTheFirstRow)
{
    TValueGrid& grid = *W.WerteTabelleGrid;
    for (int row = 1; row <= 60; ++row) Type(0, row, std::to_string(row));
    grid.scrollToBottom();
    grid.setCurrentIndex(grid.Model().index(59, 1));
    ASSERT_GT(grid.verticalScrollBar()->value(), 0);
    Click(W.BitBtn2);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid.currentIndex(), grid.Model().index(0, 0));
    EXPECT_EQ(grid.Model().FirstFilledRowFrom(1), 0);
}

// An empty X cell still ends the table; values below it are named in the box.
TEST_F(MainWindow, TransferSaysWhereValuesBelowTheEndAreLeft)
{
    const struct {
        std::vector<int> filledRows;
        int points;
        std::string box;
    } rows[] = {
        {{2, 3, 4}, 0, "Tabelle ist leer: Zeile 1 hat keinen X-Wert: die Werte ab Zeile 2 wurden nicht übernommen"},
        {{1, 2, 5}, 2, "Zeile 3 hat keinen X-Wert: die Werte ab Zeile 5 wurden nicht übernommen"},
        {{1, 2, 3}, 3, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.box);
        Boxes.clear();
        W.WerteTabelleGrid->Model().ClearCells();
        for (int row : r.filledRows) {
            Type(0, row, std::to_string(row));
            Type(1, row, std::to_string(2 * row));
        }
        Click(W.WerteUebernehmenBtn);
        EXPECT_EQ(W.Stats1().PointCount(), r.points);
        if (r.box.empty()) {
            EXPECT_TRUE(Boxes.empty());
        } else {
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, r.box);
        }
    }
}

TEST_F(MainWindow, BadCellStopsTheTransferAtItsRow)
{
    Click(W.BButPolynomial);
    const int maxBefore = W.SEPolyOrder->MaxValue();
    Type(0, 1, "1");  Type(1, 1, "1");
    Type(0, 2, "2");  Type(1, 2, "4");
    Type(0, 3, "3");  Type(1, 3, "");
    Type(0, 4, "4");  Type(1, 4, "5");
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "'' ist kein gültiger Gleitkommawert.");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
    EXPECT_EQ(Marks(), 2);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), maxBefore) << "the order limit is not updated";
}

TEST_F(MainWindow, EmptyXCellEndsTheTable)
{
    Type(0, 1, "1"); Type(1, 1, "1");
    Type(0, 2, "2"); Type(1, 2, "2");
    Type(0, 4, "4"); Type(1, 4, "4");
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Zeile 3 hat keinen X-Wert: die Werte ab Zeile 4 wurden nicht übernommen");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
}

struct TypedCase {
    const char* name;
    char separator;
    const char* text;
    bool ok;
    double value;
};

class TypedInput : public MainWindow, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedInput, GivesItsValueOrItsMessage)
{
    const TypedCase& c = GetParam();
    TFormatSettings s = TFormatSettings::English();
    s.DecimalSeparator = c.separator;
    SetFormatSettings(s);
    EnterTable({{1, 1}, {2, 2}});
    ASSERT_EQ(W.Stats1().PointCount(), 2);
    Type(0, 3, c.text);
    Type(1, 3, "7");
    QTest::mouseClick(W.WerteTabelleGrid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 70));
    Click(W.WerteUebernehmenBtn);
    if (c.ok) {
        EXPECT_TRUE(Boxes.empty()) << Boxes[0].Text;
        ASSERT_EQ(W.Stats1().PointCount(), 3);
        const double x = W.Stats1().PointTable().Elem(1, 3);
        EXPECT_EQ(x, c.value);
        EXPECT_EQ(std::signbit(x), std::signbit(c.value));
    } else {
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(Boxes[0].Text, std::string("'") + c.text + "' ist kein gültiger Gleitkommawert.");
        EXPECT_EQ(W.Stats1().PointCount(), 2) << "the rows before the bad one are kept";
    }
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellText(0, 3), c.ok ? W.WerteTabelleGrid->Model().CellText(0, 3) : c.text)
        << "what the user typed stays in the table";
}

const std::string k300Digits = "1" + std::string(299, '0');
const TypedCase kTypedCases[] = {
    {"GermanComma", ',', "1,5", true, 1.5},
    {"GermanPoint", ',', "1.5", false, 0},
    {"EnglishPoint", '.', "1.5", true, 1.5},
    {"EnglishComma", '.', "1,5", false, 0},
    {"Overflow", '.', "1e400", false, 0},
    {"NotANumber", '.', "nan", false, 0},
    {"Infinity", '.', "inf", false, 0},
    {"MinusZero", '.', "-0", true, -0.0},
    {"ThreeHundredDigits", '.', k300Digits.c_str(), true, 1e299},
    {"PastedText", ',', "zwölf Äpfel", false, 0},
    {"Blank", ',', " ", false, 0},
};
INSTANTIATE_TEST_SUITE_P(Table, TypedInput, ::testing::ValuesIn(kTypedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, TypingIntoTheCellsWithTheKeyboard)
{
    TValueGrid* grid = W.WerteTabelleGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->Model().index(0, 0));
    // Keys go where the keyboard focus is, as they do for a user: the first opens the editor.
    const auto type = [](const char* text) {
        for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    };
    type("2,5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);      // to Y, the X cell is taken
    type("1234567890123456");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);      // to the next row's X
    type("x1y");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();                                   // the editor commits queued
    EXPECT_EQ(grid->Model().CellValue(0, 1), 2.5);
    EXPECT_EQ(grid->Model().CellValue(1, 1), 123456789012.0) << "the cell editor takes 12 characters";
    EXPECT_EQ(grid->Model().CellText(0, 2), "1") << "letters are not taken";
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

TEST_F(MainWindow, PastedBlockFillsTheTable)
{
    QApplication::clipboard()->setText("1\t2\n3\t4\nfoo\t6\n");
    W.WerteTabelleGrid->setFocus();
    W.WerteTabelleGrid->setCurrentIndex(W.WerteTabelleGrid->Model().index(0, 0));
    QTest::keyClick(W.WerteTabelleGrid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellValue(1, 2), 4.0);
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellText(0, 3), "foo");
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "'foo' ist kein gültiger Gleitkommawert.");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
}

TEST_F(MainWindow, ClearTableKeepsEngineAndChart)
{
    EnterTable({{1, 1}, {2, 2}});
    Click(W.BitBtn2);
    EXPECT_TRUE(W.WerteTabelleGrid->Model().CellEmpty(0, 1));
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellText(0, 0), "X");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
    EXPECT_EQ(Marks(), 2);
}

TEST_F(MainWindow, GrafikClearForgetsEverything)
{
    EnterTable({{1, 1}, {2, 2}, {3, 3}});
    Click(W.BButPolynomial);
    Click(W.SBNewPnts);
    Click(W.SBClear);
    EXPECT_EQ(W.Stats1().PointCount(), 0);
    EXPECT_TRUE(Items(*W.RChart1).empty());
    EXPECT_FALSE(W.SBNewPnts->Down());
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_TRUE(W.LblParams->isVisible());
    EXPECT_EQ(Params(), "");
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
}
