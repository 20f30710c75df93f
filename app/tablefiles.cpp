// The window's table files: "Werte-Tabelle laden" (also a dropped file and a file named on the
// command line) and "Werte-Tabelle speichern". Files are read and written by table/; this file
// words its failures in German and moves the rows between the files and the value table.
#include "app/tablefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "app/filedialog.h"
#include "app/frmmain.h"
#include "app/valuegrid.h"
#include "common/errors.h"
#include "table/tablereader.h"
#include "table/tablewriter.h"

namespace {

// From this file size on a load shows its progress (about 1e5 rows of a plain table).
constexpr qint64 kProgressFromBytes = 2'000'000;
// Rows between two looks at the progress dialog.
constexpr std::size_t kProgressEveryRows = 65536;

const std::vector<std::string> kLoadFilters = {
    "Tabellen (*.csv *.tsv *.txt *.dat *.asc)", "Alle Dateien (*)"};
// The save dialog's types, in the order of TTableFileType.
const std::vector<std::string> kSaveFilters = {"CSV-Tabelle (*.csv)", "Datendatei (*.asc)",
                                               "Text mit Tabulatoren (*.txt)"};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The text found, in quotes, as much of it as is valid text.
QString FoundText(const TTableFailure& f)
{
    QString found = QString::fromUtf8(f.Found.data(), qsizetype(f.Found.size()));
    if (f.FoundCut) found += QString::fromUtf8("…");
    return QString::fromUtf8("„%1“").arg(found);
}

// Thrown by the progress sink when the user cancels a load.
struct TLoadCancelled {};

}  // namespace

std::string TableFailureText(const TTableFailure& f)
{
    const QString file = QString::fromUtf8("„%1“").arg(QFileInfo(Q(f.FileName)).fileName());
    const QString where = QString::fromUtf8("Datei %1, Zeile %2").arg(file).arg(f.Line);
    const QString whereColumn = where + QString::fromUtf8(", Spalte %1").arg(f.Column);
    QString text;
    switch (f.Fault) {
        case tfNone: return {};
        case tfCannotOpen:
            text = QString::fromUtf8("Die Datei %1 lässt sich nicht öffnen: %2").arg(file, Q(FileErrorMessage(f.ErrorCode)));
            break;
        case tfReadError:
            text = QString::fromUtf8("Die Datei %1 lässt sich nicht lesen: %2").arg(file, Q(FileErrorMessage(f.ErrorCode)));
            break;
        case tfBinary:
            text = QString::fromUtf8("%1: ein NUL-Byte; die Datei ist keine Textdatei").arg(where);
            break;
        case tfInvalidUtf8:
            text = QString::fromUtf8("%1: Bytes, die kein UTF-8-Text sind").arg(where);
            break;
        case tfLineTooLong:
            text = QString::fromUtf8("%1: die Zeile ist länger als %2 Bytes").arg(where).arg(kMaxLineBytes);
            break;
        case tfNoData:
            text = QString::fromUtf8("Die Datei %1 enthält keine Zeile mit Zahlen").arg(file);
            break;
        case tfMissingValue:
            text = QString::fromUtf8("%1: hier fehlt ein Wert (gefunden: %2)").arg(whereColumn, FoundText(f));
            break;
        case tfExtraValue:
            text = QString::fromUtf8("%1: mehr als zwei Werte in der Zeile (gefunden: %2)").arg(whereColumn, FoundText(f));
            break;
        case tfNotANumber:
            text = QString::fromUtf8("%1: %2 ist keine Zahl").arg(whereColumn, FoundText(f));
            break;
        case tfOutOfRange:
            text = QString::fromUtf8("%1: %2 liegt außerhalb des Zahlenbereichs").arg(whereColumn, FoundText(f));
            break;
        case tfBadLayout:
            text = QString::fromUtf8("%1: der Kopf der Datendatei beschreibt keine Zahlentabelle (gefunden: %2)")
                       .arg(where, FoundText(f));
            break;
        case tfRowCount:
            text = QString::fromUtf8("Die Datei %1 nennt in ihrem Kopf %2 Zeilen, enthält aber %3")
                       .arg(file).arg(f.Declared).arg(f.Counted);
            break;
    }
    return text.toStdString();
}

bool LoadTableIntoGrid(QWidget* parent, TValueGridModel& grid, const std::string& fileName, bool skipMissing)
{
    (void)skipMissing;
    TTableReadOptions options;
    // Rows interleaved as the grid keeps them, so the table is held once while it is read.
    std::vector<double> rows;
    std::unique_ptr<QProgressDialog> progress;
    if (QFileInfo(Q(fileName)).size() >= kProgressFromBytes) {
        progress = std::make_unique<QProgressDialog>(QString::fromUtf8("Tabelle wird gelesen …"),
                                                     QString::fromUtf8("Abbrechen"), 0, 0, parent);
        progress->setWindowTitle(QString::fromUtf8("Werte-Tabelle laden"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setValue(0);
    }
    std::size_t sinceLook = 0;
    const TTableSink sink = [&](const double* pairs, std::size_t count) {
        rows.insert(rows.end(), pairs, pairs + 2 * count);
        sinceLook += count;
        if (!progress || sinceLook < kProgressEveryRows) return;
        sinceLook = 0;
        progress->setLabelText(QString::fromUtf8("%1 Zeilen gelesen …").arg(rows.size() / 2));
        QCoreApplication::processEvents();
        if (progress->wasCanceled()) throw TLoadCancelled{};
    };
    TTableReadResult result;
    try {
        result = ReadTableFile(fileName, options, sink);
    } catch (const TLoadCancelled&) {
        return false;  // the grid keeps what it had
    }
    progress.reset();
    if (!result.Ok()) throw std::runtime_error(TableFailureText(result.Failure));
    rows.shrink_to_fit();
    grid.TakeRows(std::move(rows));
    grid.SetColumnNames(result.Table.ColumnNames);
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
    const std::string text = TableText(table, options);

    // The new table goes into a temporary file beside the old one and replaces it only when it
    // is complete, so a full disk or a denied folder leaves the old file as it was.
    const QFileInfo target(Q(fileName));
    const std::string dir = QDir::toNativeSeparators(target.absolutePath()).toStdString();
    std::string temp = dir + "/." + target.fileName().toStdString() + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    auto fail = [&](int code) {
        return QString::fromUtf8("Die Datei „%1“ wurde nicht gespeichert: %2")
            .arg(target.fileName(), Q(FileErrorMessage(code)))
            .toStdString();
    };
    if (fd < 0) return fail(errno);
    std::size_t done = 0;
    int code = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            code = errno;
            break;
        }
        done += std::size_t(n);
    }
    // A fresh temporary file is private to its owner; the table keeps the old file's rights, or
    // gets the usual ones of a new file.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.absoluteFilePath().toStdString().c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (code == 0 && ::fchmod(fd, mode) != 0) code = errno;
    if (code == 0 && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0 && std::rename(temp.c_str(), target.absoluteFilePath().toStdString().c_str()) != 0) code = errno;
    if (code != 0) {
        std::remove(temp.c_str());
        return fail(code);
    }
    return {};
}

void TFrmMain::WerteTabelleladen1Click()
{
    TFileDialogRequest r;
    r.Kind = fdkOpen;
    r.Title = "Werte-Tabelle laden";
    r.Filters = kLoadFilters;
    r.OfferSkipMissing = true;
    if (!RunFileDialog(this, r)) return;
    LoadTableFile(r.FileName, r.SkipMissing);
}

bool TFrmMain::LoadTableFile(const std::string& fileName, bool skipMissing)
{
    return LoadTableIntoGrid(this, WerteTabelleGrid->Model(), fileName, skipMissing);
}

void TFrmMain::WerteTabellespeichern1Click()
{
    TFileDialogRequest r;
    r.Kind = fdkSave;
    r.Title = "Werte-Tabelle speichern";
    r.Filters = kSaveFilters;
    if (!RunFileDialog(this, r)) return;
    std::string name = r.FileName;
    const TTableFileType type = r.Filter == 1 ? tftDataFile : r.Filter == 2 ? tftTabs : tftCsv;
    // A name typed without an extension gets the one of the chosen type.
    if (QFileInfo(Q(name)).suffix().isEmpty()) name += type == tftDataFile ? ".asc" : type == tftTabs ? ".txt" : ".csv";
    const std::string failure = SaveGridToFile(WerteTabelleGrid->Model(), name, type);
    if (!failure.empty()) throw std::runtime_error(failure);
}
