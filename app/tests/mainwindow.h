#pragma once
// The window tests' fixture: a main window shown in a comma locale, with its message boxes
// recorded, and the steps a user takes (clicks, typed tables) and reads (marks, curve, texts).
#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWheelEvent>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/errorbox.h"
#include "app/floatedit.h"
#include "app/formhilfe.h"
#include "app/frmmain.h"
#include "app/helpwindow.h"
#include "app/panel.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/valuegrid.h"
#include "chartprobe.h"
#include "common/numtext.h"
#include "numlab/numlab.h"
#include "platform/cursors.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"
#include "testsupport/testsupport.h"

// A comma locale while the window is built and used; the old settings come back after.
class CommaLocale {
public:
    CommaLocale() : m_old(FormatSettings())
    {
        TFormatSettings s = TFormatSettings::English();
        s.DecimalSeparator = ',';
        SetFormatSettings(s);
    }
    ~CommaLocale() { SetFormatSettings(m_old); }

private:
    TFormatSettings m_old;
};

class MainWindow : public ::testing::Test {
protected:
    MainWindow() : m_hook([this](const TMessageBoxRequest& r) { Boxes.push_back(r); })
    {
        W.show();
        QApplication::processEvents();
    }
    ~MainWindow() override { W.hide(); }

    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // A click into the chart at pixel (x, y) with the given button.
    void ClickChart(int x, int y, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(W.RChart1, b, Qt::NoModifier, QPoint(x, y));
    }
    void EnterByClicks(const std::vector<QPoint>& pixels)
    {
        if (!W.SBNewPnts->Down()) Click(W.SBNewPnts);
        for (const QPoint& p : pixels) ClickChart(p.x(), p.y());
    }
    void Type(int col, int row, const std::string& text)
    {
        W.WerteTabelleGrid->Model().SetCell(col, row, text);
    }
    // The points typed into an emptied table and taken over.
    void EnterTable(const std::vector<std::pair<double, double>>& points)
    {
        W.WerteTabelleGrid->Model().ClearCells();
        int row = 1;
        for (auto [x, y] : points) {
            std::ostringstream sx, sy;
            sx.precision(17);
            sy.precision(17);
            sx << x;
            sy << y;
            Type(0, row, ReplaceDot(sx.str()));
            Type(1, row, ReplaceDot(sy.str()));
            ++row;
        }
        Click(W.WerteUebernehmenBtn);
    }
    // EnterTable, then the axes back to 0 to 10 by "Reset Axis", for a table that had the axes
    // fitted to it.
    void EnterTableKeepingTheAxes(const std::vector<std::pair<double, double>>& points)
    {
        EnterTable(points);
        W.GraphXmaxEdit->SetValue(10.0);
        W.GraphYmaxEdit->SetValue(10.0);
        Click(W.ResetAxisButton);
    }
    static std::string ReplaceComma(std::string s)
    {
        for (char& c : s) if (c == ',') c = '.';
        return s;
    }
    static std::string ReplaceDot(std::string s)
    {
        for (char& c : s) if (c == '.') c = ',';
        return s;
    }
    std::vector<TProbeItem> Curve()
    {
        std::vector<TProbeItem> all = Items(*W.RChart1), curve;
        for (const TProbeItem& it : all) if (it.Kind != ikMark) curve.push_back(it);
        return curve;
    }
    int Marks()
    {
        int n = 0;
        for (const TProbeItem& it : Items(*W.RChart1)) n += it.Kind == ikMark;
        return n;
    }
    std::string Formula() const { return W.LblFormula->text().toStdString(); }
    std::string Params() const { return W.LblParams->text().toStdString(); }

    CommaLocale m_locale;
    std::vector<TMessageBoxRequest> Boxes;
    TFrmMain W;

private:
    TMessageBoxHookScope m_hook;
};
