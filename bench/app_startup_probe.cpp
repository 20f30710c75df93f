// Kalmira's start-up with milestones: the same application object and main window as the
// program, quitting right after the chart's first paint. Prints, in ms since the launcher's clock
// reading in STARTUP_T0_NS (CLOCK_MONOTONIC), tab-separated: main entered, application built,
// window shown, first paint of the chart done.
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/errorbox.h"
#include "app/frmmain.h"
#include "chart/chart.h"

namespace {

double MsSinceSpawn()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const char* t0 = std::getenv("STARTUP_T0_NS");
    return (double(ts.tv_sec) * 1e9 + double(ts.tv_nsec) - (t0 ? std::atof(t0) : 0.0)) / 1e6;
}

double tMain, tApp, tShown;

// Lets the chart's first paint event run, then prints the milestones and ends the program.
class TFirstPaint : public QObject {
public:
    explicit TFirstPaint(QObject* chart) : m_chart(chart) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_chart || event->type() != QEvent::Paint || m_done) return false;
        m_done = true;
        watched->event(event);
        std::printf("%.3f\t%.3f\t%.3f\t%.3f\n", tMain, tApp, tShown, MsSinceSpawn());
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return true;
    }

private:
    QObject* m_chart;
    bool m_done = false;
};

}  // namespace

int main(int argc, char** argv)
{
    tMain = MsSinceSpawn();
    TKalmiraApplication app(argc, argv);
    tApp = MsSinceSpawn();
    TFrmMain window;
    TFirstPaint probe(window.RChart1);
    window.RChart1->installEventFilter(&probe);
    window.show();
    tShown = MsSinceSpawn();
    return app.exec();
}
