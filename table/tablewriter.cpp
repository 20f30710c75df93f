// The writer forms its text in pieces of about a megabyte, so writing a large table needs no
// second copy of it in memory.
#include "table/tablewriter.h"

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
    errno = 0;
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) return errno ? errno : EIO;
    const bool written = WriteTable(file, table, options);
    int code = written ? 0 : (errno ? errno : EIO);
    if (std::fclose(file) != 0 && code == 0) code = errno ? errno : EIO;
    return code;
}
