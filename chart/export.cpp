// The chart drawn once more onto a painter: the same pipeline as a full repaint, with every
// canvas copying its figures and texts onto the painter, so a saved picture at twice the
// screen's size or as SVG, and the picture on a screen of a higher pixel ratio, come from the
// very drawing operations of the screen.
#include "chart/chart.h"

#include <QPainter>

#include "platform/widgetpaint.h"

void TCustomRChart::PaintTo(QPainter& painter)
{
    if (m_loading) return;
    MirrorPicture(painter, false);
}

void TCustomRChart::MirrorPicture(QPainter& painter, bool screen)
{
    TCanvas& control = m_controlImage.Canvas();
    TCanvas& data = m_dataImage.Canvas();
    // An error of the picture leaves no canvas pointing at the painter.
    struct TMirrorsOff {
        TCanvas& a;
        TCanvas& b;
        ~TMirrorsOff() { a.SetMirror(nullptr); b.SetMirror(nullptr); }
    } off{control, data};
    // On the screen width-1 lines stay one device pixel thin at any ratio, as the toolkit's own
    // hairlines do; wider pens scale with the picture.
    control.SetMirror(&painter, 0, 0, screen);
    RenderFrameAndScales(control);
    control.SetMirror(nullptr);
    data.SetMirror(&painter, m_marginLeft, m_marginTop, screen);
    RenderChartBackground(TChartKey(), data, 0, 0);
    RenderData(TChartKey(), data, 0, 0, false, false);
    data.SetMirror(nullptr);
    // The data image joins the control image as on the screen, without a copy on the painter.
    control.Draw(m_marginLeft, m_marginTop, m_dataImage);
    if (!screen) return;
    // The crosshairs over the whole picture, as the full repaint presents it.
    control.SetMirror(&painter, 0, 0, true);
    TBitmap scratch;
    PresentImage(TChartKey(), 0, 0, scratch.Canvas(), m_controlImage);
    control.SetMirror(nullptr);
}

const QImage& TCustomRChart::DeviceImage(qreal ratio)
{
    if (m_deviceImage.isNull() || m_deviceSerial != m_screenSerial || m_deviceRatio != ratio ||
        m_cleanScreen.size() != m_screenImage.size()) {
        m_deviceImage = RenderDeviceImage(width(), height(), ratio, [this](QPainter& p) { MirrorPicture(p, true); });
        m_deviceRatio = ratio;
        m_deviceSerial = m_screenSerial;
        // A shared copy: it costs a copy only once something draws into the screen image.
        m_cleanScreen = m_screenImage;
    }
    return m_deviceImage;
}

void TCustomRChart::PaintDevicePicture(QPainter& painter, qreal ratio)
{
    painter.drawImage(QPoint(0, 0), DeviceImage(ratio));
    PaintScreenOverlay(painter);
}

// Compares the screen image with its state after the last repaint row by row and paints the
// pixels that differ, each as a logical pixel.
void TCustomRChart::PaintScreenOverlay(QPainter& painter) const
{
    if (m_cleanScreen.cacheKey() == m_screenImage.cacheKey() || m_cleanScreen.size() != m_screenImage.size()) return;
    const int w = m_screenImage.width();
    for (int y = 0; y < m_screenImage.height(); ++y) {
        const QRgb* now = reinterpret_cast<const QRgb*>(m_screenImage.constScanLine(y));
        const QRgb* was = reinterpret_cast<const QRgb*>(m_cleanScreen.constScanLine(y));
        for (int x = 0; x < w;) {
            if (now[x] == was[x]) {
                ++x;
                continue;
            }
            int e = x + 1;
            while (e < w && now[e] != was[e] && now[e] == now[x]) ++e;
            painter.fillRect(QRect(x, y, e - x, 1), QColor::fromRgb(now[x]));
            x = e;
        }
    }
}
