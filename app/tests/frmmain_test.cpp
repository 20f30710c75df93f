// The main window as a whole: its layout, the cursor, help and about box, closing with the data
// file, and the option labels.
#include "mainwindow.h"

TEST_F(MainWindow, StartsWithItsLayout)
{
    EXPECT_EQ(W.windowTitle().toStdString(), "      Kalmira    -    Univariante Regression");
    // The outer size, the frame included.
    EXPECT_EQ(W.frameGeometry().size(), QSize(841, 657));
    EXPECT_EQ(W.minimumSize() + (W.frameGeometry().size() - W.size()), QSize(841, 657));
    struct Place { QWidget* w; QRect r; };
    const Place places[] = {
        {W.SBNewPnts, {19, 1, 125, 39}},   {W.SBClear, {144, 1, 125, 39}},
        {W.NLabFitQual, {608, 8, 193, 22}}, {W.Label1, {17, 17, 61, 23}},
        {W.LblFormula, {99, 6, 726, 22}},   {W.LblParams, {99, 41, 726, 16}},
        {W.BButLinFit, {8, 10, 80, 26}},    {W.SBExpo, {177, 40, 80, 26}},
        {W.SEPolyOrder, {100, 87, 57, 26}}, {W.BButSpline, {9, 128, 80, 26}},
        {W.SBarSmoothSpline, {100, 130, 109, 24}}, {W.ResetAxisButton, {192, 178, 65, 41}},
        {W.GraphXmaxEdit, {8, 192, 80, 24}}, {W.GraphYmaxEdit, {102, 192, 80, 24}},
    };
    for (const Place& p : places) EXPECT_EQ(p.w->geometry(), p.r) << p.w->metaObject()->className();
    EXPECT_EQ(W.Panel3->height(), 41);
    EXPECT_EQ(W.Panel1->height(), 64);
    EXPECT_EQ(W.Panel2->width(), 270);
    EXPECT_EQ(W.RChart1->x() + W.RChart1->width(), W.Panel2->x());
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
    EXPECT_FALSE(W.LblPolyOrder->isEnabled());
    EXPECT_TRUE(W.SBarSmoothSpline->isEnabled());
    EXPECT_FALSE(W.LblSmoothSpline->isEnabled());
    EXPECT_EQ(W.SBarSmoothSpline->value(), 1000);
    EXPECT_EQ(W.SEPolyOrder->Value(), 1);
    EXPECT_EQ(W.GraphXmaxEdit->text(), "10,00");
    EXPECT_EQ(W.WerteTabelleGrid->Model().rowCount(), 24);
    EXPECT_TRUE(W.NLabFitQual->Empty()) << "no curve, no quality figure";

    // The bottom of the command panel stays inside the window and clear of the table.
    EXPECT_LE(W.WerteUebernehmenBtn->geometry().bottom(), W.Panel2->height());
    EXPECT_GT(W.BitBtn2->y(), W.WerteTabelleGrid->geometry().bottom());
}

TEST_F(MainWindow, GrowingGivesTheChartAndTheTableTheRoom)
{
    const int chartW = W.RChart1->width(), gridH = W.WerteTabelleGrid->height();
    const int gap = W.Panel2->height() - W.BitBtn2->y();
    W.resize(W.width() + 200, W.height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(W.RChart1->width(), chartW + 200);
    EXPECT_EQ(W.WerteTabelleGrid->height(), gridH + 100);
    EXPECT_EQ(W.Panel2->height() - W.BitBtn2->y(), gap);
    EXPECT_EQ(W.WerteTabelleGrid->y(), 245);
}

TEST_F(MainWindow, MovingOverTheBarePanelsGivesTheDefaultCursorBack)
{
    SetScreenCursor(crChartHand);
    QTest::mouseMove(W.Panel2, QPoint(260, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(260, 300), W.Panel2->mapToGlobal(QPointF(260, 300)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(W.Panel2, &move);
    EXPECT_EQ(ScreenCursor(), crDefault);
}

// "Hilfe" opens one help window beside the main window, in German, naming every model.
TEST_F(MainWindow, HelpShowsTheHelpWindow)
{
    W.Hilfe1->trigger();
    W.Hilfe1->trigger();
    ASSERT_NE(W.HelpWindow, nullptr);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(W.HelpWindow->isVisible());
    EXPECT_FALSE(W.HelpWindow->isModal());
    EXPECT_EQ(W.findChildren<THelpWindow*>().size(), 1);
    const QString text = W.HelpWindow->Text->toPlainText();
    for (const char* word : {"Test-Eingabe", "Werte übernehmen", "Lin", "Parabolic", "Reciproc", "Log", "Recip.Log.",
                             "Expon.", "Polynom", "Spline", "Anpassungsgrad", "cfit.asc", "kalmira-fit"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word;
    W.HelpWindow->close();
}

TEST_F(MainWindow, InfoShowsTheAboutBoxModally)
{
    bool wasModal = false;
    QString title;
    QTimer::singleShot(0, [&] {
        wasModal = W.FormHilfe->isVisible() && W.FormHilfe->isModal();
        title = W.FormHilfe->windowTitle();
        QTest::mouseClick(W.FormHilfe->Button1, Qt::LeftButton);
    });
    W.Info1->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(title, "FormHilfe");
    EXPECT_FALSE(W.FormHilfe->isVisible());
    EXPECT_EQ(W.FormHilfe->size(), QSize(325, 374));
}

class Closing : public MainWindow {
protected:
    Closing() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~Closing() override { QDir::setCurrent(m_old); }
    QTemporaryDir m_dir;
    QString m_old;
};

TEST_F(Closing, WritesTheDataFileByteExact)
{
    EnterTable({{1, 2.5}, {-0.25, 3}});
    EXPECT_TRUE(W.close());
    std::ifstream in(m_dir.filePath("cfit.asc").toStdString(), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_EQ(all.str(),
              "Data exported from QZL TCurveFit\r\n"
              "2\t;nr. of columns\r\n"
              "2\t;nr. of rows\r\n"
              "FALSE TRUE FALSE\t;row attributes, column names, row names\r\n"
              "x   y\r\n"
              "1.000000\t2.500000\r\n"
              "-0.250000\t3.000000\r\n");
}

TEST_F(Closing, EndeClosesAndWritesTheFile)
{
    W.Ende1->trigger();
    EXPECT_FALSE(W.isVisible());
    EXPECT_TRUE(QFile::exists(m_dir.filePath("cfit.asc")));
}

TEST_F(Closing, AnUnwritableFolderDoesNotStopClosing)
{
    QDir(m_dir.path()).mkdir("ro");
    QDir::setCurrent(m_dir.filePath("ro"));
    QFile::setPermissions(m_dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // A folder entry named like the file stands in for a folder we may not write to (root may
    // write everywhere).
    QDir(m_dir.filePath("ro")).mkdir("cfit.asc");
    EnterTable({{1, 2}});
    EXPECT_TRUE(W.close());
    EXPECT_FALSE(W.isVisible());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Closing, AFullDiskIsReportedAndTheWindowStaysOpen)
{
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    ASSERT_TRUE(QFile::link("/dev/full", m_dir.filePath("cfit.asc")));
    EnterTable({{1, 2}, {3, 4}});
    EXPECT_FALSE(W.close());
    EXPECT_TRUE(W.isVisible()) << "nothing is lost: the points are still there to be saved";
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Icon, mbiError);
    EXPECT_EQ(Boxes[0].Text, ErrorBoxText(FileErrorMessage(ENOSPC)));
    QFile::remove(m_dir.filePath("cfit.asc"));
    EXPECT_TRUE(W.close()) << "once the file can be written the window closes";
}

// A disabled option label looks disabled: its text is not drawn in the black of an enabled one.
TEST_F(MainWindow, DisabledOptionLabelsAreGreyed)
{
    auto hasBlack = [](QWidget* w) {
        const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 40) return true;
        return false;
    };
    ASSERT_FALSE(W.LblPolyOrder->isEnabled());
    EXPECT_FALSE(hasBlack(W.LblPolyOrder));
    EXPECT_FALSE(hasBlack(W.LblSmoothSpline));
    EnterTable({{1, 1}, {2, 3}, {3, 2}});
    Click(W.BButPolynomial);
    EXPECT_TRUE(hasBlack(W.LblPolyOrder));
}

// A press held on the scroll bar's arrow steps again and again; the error box of the first step
// takes the mouse, so the release never reaches the bar. One press gives one box.
TEST(ScrollBarPress, OnePressOnTheArrowGivesOneErrorBox)
{
    CommaLocale locale;
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    int boxes = 0;
    TMessageBoxHookScope hook([&](const TMessageBoxRequest&) {
        ++boxes;
        QTest::qWait(700);   // the box stays open while the user reads it
    });
    QTest::mousePress(w.SBarSmoothSpline, Qt::LeftButton, Qt::NoModifier, QPoint(4, 12));
    QTest::qWait(300);
    EXPECT_EQ(boxes, 1);
    QTest::mouseRelease(w.SBarSmoothSpline, Qt::LeftButton, Qt::NoModifier, QPoint(4, 12));
}
