#include "app/chartexport.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cerrno>

#include "app/errortext.h"
#include "chart/chart.h"
#include "common/errors.h"

namespace {

// The chart at `factor` times its size, drawn as figures and text onto a white picture.
QImage ScaledPicture(TCustomRChart& chart, int factor)
{
    QImage image(chart.width() * factor, chart.height() * factor, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(factor, factor);
    chart.PaintTo(painter);
    return image;
}

}  // namespace

std::string SaveChartPicture(TCustomRChart& chart, const std::string& fileName, TChartPictureType type)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = true;
    if (type == cptSvg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(chart.size());
        svg.setViewBox(QRect(QPoint(0, 0), chart.size()));
        svg.setTitle(QString::fromUtf8("Kalmira"));
        QPainter painter(&svg);
        chart.PaintTo(painter);
        ok = painter.end();
    } else {
        // At the screen's size the picture is the screen's own, pixel for pixel.
        const QImage image = type == cptPng ? chart.grab().toImage() : ScaledPicture(chart, type == cptPng2 ? 2 : 3);
        ok = image.save(&buffer, "PNG");
    }
    const QString name = QString::fromStdString(fileName);
    QSaveFile file(name);
    if (ok && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return {};
    // A missing folder is named as the platform names it; other faults as the toolkit words them.
    const QString why = QFileInfo(name).absoluteDir().exists()
                            ? file.errorString()
                            : ErrorText(FileErrorCode(ENOTDIR), FileErrorArgs(ENOTDIR));
    return QCoreApplication::translate("TableFiles", "Das Bild „%1“ wurde nicht gespeichert: %2")
        .arg(QFileInfo(name).fileName(), why)
        .toStdString();
}
