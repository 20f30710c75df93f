// WriteDataFile: the points of the store as a small tab-separated table. Every line ends with
// CR LF. The lines: the comment (line feeds turned into blanks), "2<TAB>;nr. of columns", the
// point count, "FALSE TRUE FALSE<TAB>;row attributes, column names, row names" (no row
// attributes, column names present, no row names), the column names "x   y", then one line
// "x<TAB>y" per point in entry order.
#include <cerrno>
#include <cstdio>
#include <memory>

#include "common/errors.h"
#include "common/numtext.h"
#include "curvefit/curvefit.h"

namespace {

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Writes one line with its CR LF; a failed write raises the platform's I/O error.
void WriteLine(std::FILE* file, const std::string& text)
{
    const std::string line = text + "\r\n";
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
        const int code = errno;
        throw EInOutError(code);
    }
}

}  // namespace

void TCurveFit::WriteDataFile(const std::string& fileName, const std::string& comment, int decimals,
                              std::string& errorText) const
{
    errorText.clear();
    errno = 0;
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(fileName.c_str(), "wb"));
    if (!file) {
        errorText = FileErrorMessage(errno);
        return;
    }

    const std::string firstLine = comment.empty() ? "Exported by QZL TCurveFit component: " + fileName
                                                  : ReplaceCharacter(comment, '\n', ' ');
    WriteLine(file.get(), firstLine);
    WriteLine(file.get(), "2\t;nr. of columns");
    WriteLine(file.get(), std::to_string(m_pointCount) + "\t;nr. of rows");
    WriteLine(file.get(), "FALSE TRUE FALSE\t;row attributes, column names, row names");
    WriteLine(file.get(), "x   y");
    for (int i = 1; i <= m_pointCount; ++i) {
        WriteLine(file.get(), NumberToText(m_points.Elem(1, i), 1, decimals) + "\t" +
                                  NumberToText(m_points.Elem(2, i), 1, decimals));
    }

    // Buffered lines reach the disk here; a full disk shows up now at the latest.
    std::FILE* raw = file.release();
    const bool flushed = std::fflush(raw) == 0;
    const int code = errno;
    const bool closed = std::fclose(raw) == 0;
    if (!flushed || !closed) {
        const int reported = flushed ? errno : code;
        throw EInOutError(reported);
    }
}
