// The writer forms its text in pieces of about a megabyte, so writing a large table needs no
// second copy of it in memory.
#include "table/tablewriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>

#include "table/tablefields.h"

namespace {

using tablefields::NameField;

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

void AppendNumber(std::string& out, double v)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, v);
    out.append(text, result.ptr);
}

// Calls `flush` with the text in pieces; stops when it returns false.
template <class Flush>
bool FormTable(const TTable& table, const TTableWriteOptions& options, Flush flush)
{
    const bool dataFile = options.Layout == tlDataFile;
    const char* lineEnd = dataFile ? "\r\n" : "\n";
    const char separator = dataFile ? '\t' : options.Separator;
    const std::size_t rows = std::min(table.X.size(), table.Y.size());
    const bool named = table.ColumnNames.size() == 2;

    std::string out;
    if (dataFile) {
        std::string comment = table.Comment;
        // CR as well as LF become blanks: a CR ends a line for the reader, so a comment holding
        // one would no longer read back as one line.
        for (char& c : comment)
            if (c == '\n' || c == '\r') c = ' ';
        out += comment + lineEnd;
        out += std::string("2\t;nr. of columns") + lineEnd;
        out += std::to_string(rows) + "\t;nr. of rows" + lineEnd;
        out += std::string("FALSE TRUE FALSE\t;row attributes, column names, row names") + lineEnd;
        out += (named ? NameField(table.ColumnNames[0], ' ') + "   " + NameField(table.ColumnNames[1], ' ')
                      : std::string("x   y")) +
               lineEnd;
    } else if (options.WriteNames && named) {
        out += NameField(table.ColumnNames[0], separator) + separator + NameField(table.ColumnNames[1], separator) +
               lineEnd;
    }
    for (std::size_t i = 0; i < rows; ++i) {
        AppendNumber(out, table.X[i]);
        out += separator;
        AppendNumber(out, table.Y[i]);
        out += lineEnd;
        if (out.size() >= kPieceBytes) {
            if (!flush(out)) return false;
            out.clear();
        }
    }
    return out.empty() || flush(out);
}

}  // namespace

std::string ShortestText(double v)
{
    std::string text;
    AppendNumber(text, v);
    return text;
}

std::string TableText(const TTable& table, const TTableWriteOptions& options)
{
    std::string all;
    FormTable(table, options, [&](const std::string& piece) {
        all += piece;
        return true;
    });
    return all;
}

bool WriteTable(std::FILE* file, const TTable& table, const TTableWriteOptions& options)
{
    const bool written = FormTable(table, options, [&](const std::string& piece) {
        return std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
    });
    return written && std::fflush(file) == 0;
}

int WriteTableFile(const std::string& fileName, const TTable& table, const TTableWriteOptions& options)
{
    // The table goes into a new file beside the old one, which it replaces by a rename once it is
    // complete and on the disk; a full disk or a denied folder leaves the old file as it was.
    std::string tempName;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        tempName = fileName + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        // Mode 0666 less the umask, as a file created by fopen gets.
        fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) return errno;
    }
    // A file that is replaced keeps its permissions.
    struct stat old {};
    if (::stat(fileName.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int code = errno;
        ::close(fd);
        ::unlink(tempName.c_str());
        return code;
    }
    errno = 0;
    int code = WriteTable(file, table, options) ? 0 : (errno ? errno : EIO);
    if (code == 0 && ::fsync(fd) != 0) code = errno;
    if (std::fclose(file) != 0 && code == 0) code = errno ? errno : EIO;
    if (code == 0 && ::rename(tempName.c_str(), fileName.c_str()) != 0) code = errno;
    if (code != 0) ::unlink(tempName.c_str());
    return code;
}
