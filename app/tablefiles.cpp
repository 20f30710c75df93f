// The window's table files: "Werte-Tabelle laden" (also a dropped file and a file named on the
// command line) and "Werte-Tabelle speichern". Files are read and written by table/; this file
// words its failures in the window's language (German unless English is chosen) and moves the rows between the files and the value table.
#include "app/tablefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <stdexcept>

#include "app/chartexport.h"
#include "app/errortext.h"
#include "app/filedialog.h"
#include "chart/chart.h"
#include "app/frmmain.h"
#include "app/valuegrid.h"
#include "common/errors.h"
#include "platform/msgbox.h"
#include "table/tablereader.h"
#include "table/tablewriter.h"

namespace {

// From this file size on a load shows its progress (about 1e5 rows of a plain table).
constexpr qint64 kProgressFromBytes = 2'000'000;
// Steps of the progress bar.
constexpr int kProgressSteps = 1000;

const std::vector<std::string> kLoadFilters = {
    QT_TRANSLATE_NOOP("TableFiles", "Tabellen (*.csv *.tsv *.txt *.dat *.asc)"),
    QT_TRANSLATE_NOOP("TableFiles", "Alle Dateien (*)")};
// The save dialog's types, in the order of TTableFileType.
const std::vector<std::string> kSaveFilters = {QT_TRANSLATE_NOOP("TableFiles", "CSV-Tabelle (*.csv)"),
                                               QT_TRANSLATE_NOOP("TableFiles", "Datendatei (*.asc)"),
                                               QT_TRANSLATE_NOOP("TableFiles", "Text mit Tabulatoren (*.txt)")};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The window's words for its table files, in the language now shown.
class TableFiles {
    Q_DECLARE_TR_FUNCTIONS(TableFiles)
};
// The platform's file error for an errno value, inside one of ours.
QString FileError(int code) { return ErrorText(FileErrorCode(code), FileErrorArgs(code)); }

std::vector<std::string> TrAll(const std::vector<std::string>& texts)
{
    std::vector<std::string> out;
    for (const std::string& t : texts) out.push_back(TableFiles::tr(t.c_str()).toStdString());
    return out;
}

// The text found, in quotes, as much of it as is valid text.
QString FoundText(const TTableFailure& f)
{
    QString found = QString::fromUtf8(f.Found.data(), qsizetype(f.Found.size()));
    if (f.FoundCut) found += QChar(0x2026);  // an ellipsis
    return TableFiles::tr("„%1“").arg(found);
}

}  // namespace

std::string TableFailureText(const TTableFailure& f)
{
    const QString file = TableFiles::tr("„%1“").arg(QFileInfo(Q(f.FileName)).fileName());
    const QString where = TableFiles::tr("Datei %1, Zeile %2").arg(file).arg(f.Line);
    const QString whereColumn = where + TableFiles::tr(", Spalte %1").arg(f.Column);
    QString text;
    switch (f.Fault) {
        case tfNone: return {};
        case tfCannotOpen:
            text = TableFiles::tr("Die Datei %1 lässt sich nicht öffnen: %2").arg(file, FileError(f.ErrorCode));
            break;
        case tfReadError:
            text = TableFiles::tr("Die Datei %1 lässt sich nicht lesen: %2").arg(file, FileError(f.ErrorCode));
            break;
        case tfBinary:
            text = TableFiles::tr("%1: ein NUL-Byte; die Datei ist keine Textdatei").arg(where);
            break;
        case tfInvalidUtf8:
            text = TableFiles::tr("%1: Bytes, die kein UTF-8-Text sind").arg(where);
            break;
        case tfLineTooLong:
            text = TableFiles::tr("%1: die Zeile ist länger als %2 Bytes").arg(where).arg(kMaxLineBytes);
            break;
        case tfNoData:
            text = TableFiles::tr("Die Datei %1 enthält keine Zeile mit Zahlen").arg(file);
            break;
        case tfMissingValue:
            text = TableFiles::tr("%1: hier fehlt ein Wert (gefunden: %2)").arg(whereColumn, FoundText(f));
            break;
        case tfExtraValue:
            text = TableFiles::tr("%1: mehr als zwei Werte in der Zeile (gefunden: %2)").arg(whereColumn, FoundText(f));
            break;
        case tfNotANumber:
            text = TableFiles::tr("%1: %2 ist keine Zahl").arg(whereColumn, FoundText(f));
            break;
        case tfOutOfRange:
            text = TableFiles::tr("%1: %2 liegt außerhalb des Zahlenbereichs").arg(whereColumn, FoundText(f));
            break;
        case tfBadLayout:
            text = TableFiles::tr("%1: der Kopf der Datendatei beschreibt keine Zahlentabelle (gefunden: %2)")
                       .arg(where, FoundText(f));
            break;
        case tfCancelled:
            text = TableFiles::tr("Das Lesen der Datei %1 wurde abgebrochen").arg(file);
            break;
        case tfRowCount:
            text = TableFiles::tr("Die Datei %1 nennt in ihrem Kopf %2 Zeilen, enthält aber %3")
                       .arg(file).arg(f.Declared).arg(f.Counted);
            break;
    }
    // A header or a label column is the usual cause of a fault in the first rows: the columns
    // found tell which ones hold the numbers.
    if (!f.ColumnsFound.empty() && (f.Fault == tfNotANumber || f.Fault == tfMissingValue || f.Fault == tfExtraValue)) {
        QStringList names;
        for (const std::string& c : f.ColumnsFound) names << TableFiles::tr("„%1“").arg(Q(c));
        text += (f.ColumnsFromHeader ? TableFiles::tr(". Spalten im Kopf: %1") : TableFiles::tr(". Werte der Zeile: %1"))
                    .arg(names.join(", "));
    }
    return text.toStdString();
}

bool LoadTableIntoGrid(QWidget* parent, TValueGridModel& grid, const std::string& fileName, bool skipMissing,
                       std::int64_t* skippedRows, std::int64_t* firstSkippedLine)
{
    TTableReadOptions options;
    options.SkipMissing = skipMissing;
    // Rows interleaved as the grid keeps them, so the table is held once while it is read.
    std::vector<double> rows;
    std::unique_ptr<QProgressDialog> progress;
    if (QFileInfo(Q(fileName)).size() >= kProgressFromBytes) {
        progress = std::make_unique<QProgressDialog>(TableFiles::tr("Tabelle wird gelesen …"),
                                                     TableFiles::tr("Abbrechen"), 0, kProgressSteps, parent);
        progress->setWindowTitle(TableFiles::tr("Werte-Tabelle laden"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setValue(0);
        options.Progress = [&](std::int64_t done, std::int64_t total) {
            if (total > 0) progress->setValue(int(double(done) / double(total) * kProgressSteps));
            QCoreApplication::processEvents();
            return !progress->wasCanceled();
        };
    }
    const TTableSink sink = [&](const double* pairs, std::size_t count) {
        rows.insert(rows.end(), pairs, pairs + 2 * count);
    };
    const TTableReadResult result = ReadTableFile(fileName, options, sink);
    progress.reset();
    if (result.Failure.Fault == tfCancelled) return false;  // the grid keeps what it had
    if (!result.Ok()) throw std::runtime_error(TableFailureText(result.Failure));
    grid.TakeRows(std::move(rows));
    grid.SetColumnNames(result.Table.ColumnNames);
    if (skippedRows) *skippedRows = result.SkippedRows;
    if (firstSkippedLine) *firstSkippedLine = result.FirstSkippedLine;
    return true;
}

std::string SaveGridToFile(const TValueGridModel& grid, const std::string& fileName, TTableFileType type)
{
    TTable table;
    grid.FilledRows(table.X, table.Y);
    table.ColumnNames = grid.ColumnNames().size() == 2 ? grid.ColumnNames() : std::vector<std::string>{"x", "y"};
    TTableWriteOptions options;
    switch (type) {
        case tftCsv: options.Separator = ','; break;
        case tftDataFile: options.Layout = tlDataFile; table.Comment = TFrmMain::kDataFileComment; break;
        case tftTabs: options.Separator = '\t'; break;
    }
    const QFileInfo target(Q(fileName));
    int code = WriteTableFile(fileName, table, options);
    if (code == 0) return {};
    // A new file is "not found" only when a folder on its path is missing: the path was not found.
    if (code == ENOENT) code = ENOTDIR;
    return TableFiles::tr("Die Datei „%1“ wurde nicht gespeichert: %2")
        .arg(target.fileName(), FileError(code))
        .toStdString();
}

void TFrmMain::WerteTabelleladen1Click()
{
    TFileDialogRequest r;
    r.Kind = fdkOpen;
    r.Title = TableFiles::tr("Werte-Tabelle laden").toStdString();
    r.Filters = TrAll(kLoadFilters);
    r.OfferSkipMissing = true;
    if (!RunFileDialog(this, r)) return;
    LoadTableFile(r.FileName, r.SkipMissing);
}

bool TFrmMain::LoadTableFile(const std::string& fileName, bool skipMissing)
{
    std::int64_t skipped = 0, first = 0;
    if (!LoadTableIntoGrid(this, WerteTabelleGrid->Model(), fileName, skipMissing, &skipped, &first)) return false;
    WerteTabelleGrid->scrollToTop();
    WerteTabelleGrid->setCurrentIndex(WerteTabelleGrid->Model().index(0, 0));
    // The chart is made ready for the file's points, which "Werte übernehmen" then shows.
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    const TValueGridModel& table = WerteTabelleGrid->Model();
    if (table.NumberRange(0, xLow, xHigh) && table.NumberRange(1, yLow, yHigh)) FitAxes(xLow, xHigh, yLow, yHigh);
    if (skipped > 0)
        ShowMessageBox(TableFiles::tr("Übersprungen wegen fehlender Werte: %1 Zeile(n), die erste ist Zeile %2")
                           .arg(skipped)
                           .arg(first)
                           .toStdString(),
                       "", mbiInformation, true);
    return true;
}

void TFrmMain::WerteTabellespeichern1Click()
{
    TFileDialogRequest r;
    r.Kind = fdkSave;
    r.Title = TableFiles::tr("Werte-Tabelle speichern").toStdString();
    r.Filters = TrAll(kSaveFilters);
    if (!RunFileDialog(this, r)) return;
    std::string name = r.FileName;
    const TTableFileType type = r.Filter == 1 ? tftDataFile : r.Filter == 2 ? tftTabs : tftCsv;
    // A name typed without an extension gets the one of the chosen type.
    if (QFileInfo(Q(name)).suffix().isEmpty()) name += type == tftDataFile ? ".asc" : type == tftTabs ? ".txt" : ".csv";
    const std::string failure = SaveGridToFile(WerteTabelleGrid->Model(), name, type);
    if (!failure.empty()) throw std::runtime_error(failure);
}

void TFrmMain::Grafikspeichern1Click()
{
    static const std::vector<std::string> filters = {
        QT_TRANSLATE_NOOP("TableFiles", "PNG-Bild (*.png)"), QT_TRANSLATE_NOOP("TableFiles", "PNG-Bild, doppelte Größe (*.png)"),
        QT_TRANSLATE_NOOP("TableFiles", "PNG-Bild, dreifache Größe (*.png)"), QT_TRANSLATE_NOOP("TableFiles", "SVG-Grafik (*.svg)")};
    TFileDialogRequest r;
    r.Kind = fdkSave;
    r.Title = TableFiles::tr("Grafik speichern").toStdString();
    r.Filters = TrAll(filters);
    if (!RunFileDialog(this, r)) return;
    const TChartPictureType type = r.Filter == 1 ? cptPng2 : r.Filter == 2 ? cptPng3 : r.Filter == 3 ? cptSvg : cptPng;
    std::string name = r.FileName;
    if (QFileInfo(Q(name)).suffix().isEmpty()) name += type == cptSvg ? ".svg" : ".png";
    const std::string failure = SaveChartPicture(*RChart1, name, type);
    if (!failure.empty()) throw std::runtime_error(failure);
}
