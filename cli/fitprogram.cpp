#include "cli/fitprogram.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <ostream>

#include "cli/models.h"
#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "table/tablereader.h"

namespace {

constexpr const char* kProgram = "kalmira-fit";
constexpr int kDefaultDigits = 17;  // enough to read every double back unchanged

enum TFormat { fmText, fmCsv, fmJson };

struct TOptions {
    std::vector<TModelChoice> Models;
    bool Several = false;  // --model all or a list: one line per model, sorted by quality
    std::vector<double> At;
    TFormat Format = fmText;
    int Digits = kDefaultDigits;
    TTableReadOptions Read;
    std::string File;
    bool Help = false;
};

struct TUsageError {
    std::string Message;
};

template <class T>
bool ReadWhole(std::string_view text, T& value)
{
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

std::vector<std::string_view> SplitAtCommas(std::string_view text)
{
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return parts;
        text.remove_prefix(comma + 1);
    }
}

void ParseOption(const std::string& name, const std::string& value, TOptions& o)
{
    if (name == "--model" || name == "-m") {
        std::string message;
        if (!ParseModelList(value, o.Models, message)) throw TUsageError{message};
        o.Several = value == "all" || o.Models.size() > 1;
    } else if (name == "--at") {
        o.At.clear();
        for (std::string_view part : SplitAtCommas(value)) {
            double x = 0;
            if (!ReadWhole(part, x) || !std::isfinite(x))
                throw TUsageError{"--at takes numbers separated by commas, such as 0.5,1,2; '" + std::string(part) +
                                  "' is not a number"};
            o.At.push_back(x);
        }
    } else if (name == "--format") {
        if (value == "text") o.Format = fmText;
        else if (value == "csv") o.Format = fmCsv;
        else if (value == "json") o.Format = fmJson;
        else throw TUsageError{"--format takes text, csv or json, not '" + value + "'"};
    } else if (name == "--digits") {
        if (!ReadWhole(value, o.Digits) || o.Digits < 1 || o.Digits > 17)
            throw TUsageError{"--digits takes a number from 1 to 17, not '" + value + "'"};
    } else if (name == "--columns") {
        const std::vector<std::string_view> parts = SplitAtCommas(value);
        if (parts.size() != 2 || !ReadWhole(parts[0], o.Read.ColumnX) || !ReadWhole(parts[1], o.Read.ColumnY) ||
            o.Read.ColumnX < 1 || o.Read.ColumnY < 1)
            throw TUsageError{"--columns takes the columns of x and y counted from 1, such as 2,5; not '" + value + "'"};
    } else if (name == "--skip") {
        if (!ReadWhole(value, o.Read.Skip) || o.Read.Skip < 0)
            throw TUsageError{"--skip takes a number of lines, not '" + value + "'"};
    } else if (name == "--separator") {
        if (value == "tab" || value == "\t") o.Read.Separator = '\t';
        else if (value == "comma" || value == ",") o.Read.Separator = ',';
        else if (value == "semicolon" || value == ";") o.Read.Separator = ';';
        else if (value == "blank" || value == " ") o.Read.Separator = ' ';
        else throw TUsageError{"--separator takes tab, comma, semicolon or blank, not '" + value + "'"};
    }
}

TOptions ParseArguments(const std::vector<std::string>& args)
{
    static const char* const kWithValue[] = {"--model", "-m", "--at", "--format", "--digits",
                                             "--columns", "--skip", "--separator"};
    TOptions o;
    std::string unused;
    ParseModelList("line", o.Models, unused);
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnd || a == "-" || a.empty() || a[0] != '-') {
            if (!o.File.empty()) throw TUsageError{"one FILE only, but both '" + o.File + "' and '" + a + "' were given"};
            o.File = a;
            continue;
        }
        if (a == "--") {
            optionsEnd = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            o.Help = true;
            continue;
        }
        if (a == "--skip-missing") {
            o.Read.SkipMissing = true;
            continue;
        }
        const std::size_t equals = a.find('=');
        const std::string name = a.substr(0, equals);
        const bool known = std::any_of(std::begin(kWithValue), std::end(kWithValue),
                                       [&](const char* n) { return name == n; });
        if (!known) throw TUsageError{"unknown option '" + name + "'"};
        std::string value;
        if (equals != std::string::npos) {
            value = a.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw TUsageError{name + " needs a value"};
        }
        ParseOption(name, value, o);
    }
    if (!o.Help && o.File.empty()) throw TUsageError{"no FILE given (use - for standard input)"};
    return o;
}

// ---- wording of a failed reading

std::string Shown(const TTableFailure& f)
{
    return f.FileName == "-" ? std::string("standard input") : f.FileName;
}

// The text found, quoted: bytes that are no printable UTF-8 shown as \xNN, so a terminal shows
// exactly what the file holds.
std::string Quoted(const std::string& text, bool cut)
{
    std::string q = "\"";
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    char hex[8];
    while (p < end) {
        const unsigned c = *p;
        int length = 0;
        if (c >= 0x20 && c < 0x7F) length = 1;
        else if (c >= 0xC2 && c <= 0xDF) length = 2;
        else if (c >= 0xE0 && c <= 0xEF) length = 3;
        else if (c >= 0xF0 && c <= 0xF4) length = 4;
        bool whole = length > 0 && end - p >= length;
        for (int i = 1; whole && i < length; ++i) whole = (p[i] & 0xC0) == 0x80;
        if (c == '"' || c == '\\') {
            q += '\\';
            q += static_cast<char>(c);
            ++p;
        } else if (c == '\t') {
            q += "\\t";
            ++p;
        } else if (whole) {
            q.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
            p += length;
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            q += hex;
            ++p;
        }
    }
    q += cut ? "...\"" : "\"";
    return q;
}

std::string Values(int n) { return std::to_string(n) + (n == 1 ? " value" : " values"); }

// The columns a failure found, numbered, when a fix is offered or the row's shape is the fault.
std::string ColumnsFound(const TTableFailure& f)
{
    const bool shown = f.SuggestedSkip > 0 || f.SuggestedColumnX > 0 || f.Fault == tfExtraValue ||
                       (f.Fault == tfMissingValue && f.Column > f.ColumnsInLine);
    if (!shown || f.ColumnsFound.empty()) return {};
    std::string text = f.ColumnsFromHeader ? "; the header names the columns " : "; the columns found: ";
    for (std::size_t i = 0; i < f.ColumnsFound.size(); ++i)
        text += (i ? ", " : "") + std::to_string(i + 1) + " " + Quoted(f.ColumnsFound[i], false);
    if (f.ColumnsFound.size() == kMaxColumnsFound) text += ", ...";
    return text;
}

// The options that read the file, when the failure offers them.
std::string Fix(const TTableFailure& f)
{
    if (f.SuggestedSkip > 0)
        return "; if line " + std::to_string(f.Line) + " holds column names, use --skip " +
               std::to_string(f.SuggestedSkip);
    if (f.SuggestedColumnX > 0)
        return "; to read columns " + std::to_string(f.SuggestedColumnX) + " and " + std::to_string(f.SuggestedColumnY) +
               ", which hold numbers, use --columns " + std::to_string(f.SuggestedColumnX) + "," +
               std::to_string(f.SuggestedColumnY);
    return {};
}

// Whether a cell holds one of the marks the reader takes for a missing value.
bool IsMissingMark(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return upper == "NA" || upper == "N/A" || upper == "#N/A";
}

// ---- numbers and output

std::string Number(double v, int digits)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    return text;
}

std::string JsonString(const std::string& s)
{
    std::string j = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            j += '\\';
            j += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            j += hex;
        } else {
            j += c;
        }
    }
    return j + "\"";
}

std::string CsvField(const std::string& s)
{
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::string AtName(double x, int digits) { return "y(" + Number(x, digits) + ")"; }

std::string ValueText(const TValueAt& v, int digits) { return v.Defined ? Number(v.Y, digits) : v.Note; }

std::string Padded(const std::string& s, std::size_t width)
{
    return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

// What a truncated polynomial fit means for its result. With r distinct x the data fix a
// polynomial of order r - 1 only: the coefficients of x^r and above are not determined by them,
// and the fit shows the smallest-norm choice. Points that are distinct but too close together
// leave a combination of coefficients open instead.
std::string TruncationNote(const TModelFit& fit, int distinctX)
{
    const int cols = static_cast<int>(fit.Parameters.size());
    if (distinctX >= cols)
        return "the x values lie too close together to determine every coefficient; the smallest-norm solution is "
               "shown";
    const std::string open = distinctX + 1 == cols ? fit.Parameters.back().Name + " is"
                                                   : fit.Parameters[distinctX].Name + " to " +
                                                         fit.Parameters.back().Name + " are";
    return open + " not determined by the data (" + std::to_string(distinctX) + " distinct x); the smallest-norm " +
           "solution is shown";
}

void PrintTextOne(std::ostream& out, const TModelFit& fit, int points, int digits, int distinctX)
{
    std::vector<std::pair<std::string, std::string>> rows = {{"model", fit.Choice.Text}, {"formula", FormulaText(fit.Choice)}};
    for (const TParameter& p : fit.Parameters) rows.emplace_back(p.Name, Number(p.Value, digits));
    rows.emplace_back("quality", Number(fit.Quality, digits));
    rows.emplace_back("points", std::to_string(points));
    if (fit.Truncated) rows.emplace_back("note", TruncationNote(fit, distinctX));
    for (const TValueAt& v : fit.Values) rows.emplace_back(AtName(v.X, digits), ValueText(v, digits));
    std::size_t width = 0;
    for (const auto& r : rows) width = std::max(width, r.first.size());
    for (const auto& r : rows) out << Padded(r.first, width + 2) << r.second << '\n';
}

void PrintTextSeveral(std::ostream& out, const std::vector<TModelFit>& fits, int points, int digits, int distinctX)
{
    out << "# " << points << " points; models sorted by quality\n";
    std::size_t nameWidth = 5;
    for (const TModelFit& f : fits) nameWidth = std::max(nameWidth, f.Choice.Text.size());
    const std::size_t qualityWidth = static_cast<std::size_t>(digits) + 7;
    out << Padded("model", nameWidth + 2) << Padded("quality", qualityWidth + 2) << "parameters\n";
    for (const TModelFit& f : fits) {
        out << Padded(f.Choice.Text, nameWidth + 2);
        if (!f.Ok) {
            out << Padded("-", qualityWidth + 2) << f.Message << '\n';
            continue;
        }
        out << Padded(Number(f.Quality, digits), qualityWidth + 2);
        std::string line;
        for (const TParameter& p : f.Parameters) line += p.Name + " = " + Number(p.Value, digits) + "  ";
        for (const TValueAt& v : f.Values) line += AtName(v.X, digits) + " = " + ValueText(v, digits) + "  ";
        if (f.Truncated) line += "(" + TruncationNote(f, distinctX) + ")";
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    }
}

void PrintCsv(std::ostream& out, const std::vector<TModelFit>& fits, int points, int digits)
{
    out << "model,item,value\n";
    for (const TModelFit& f : fits) {
        const std::string model = CsvField(f.Choice.Text);
        if (!f.Ok) {
            out << model << ",error," << CsvField(f.Message) << '\n';
            continue;
        }
        for (const TParameter& p : f.Parameters) out << model << ',' << p.Name << ',' << Number(p.Value, digits) << '\n';
        out << model << ",quality," << Number(f.Quality, digits) << '\n';
        out << model << ",points," << points << '\n';
        if (f.Truncated) out << model << ",truncated,1\n";
        for (const TValueAt& v : f.Values) out << model << ',' << AtName(v.X, digits) << ',' << ValueText(v, digits) << '\n';
    }
}

std::string JsonModel(const TModelFit& f, int points, int digits)
{
    std::string j = "{\"model\": " + JsonString(f.Choice.Text) + ", \"formula\": " + JsonString(FormulaText(f.Choice));
    if (!f.Ok) return j + ", \"error\": " + JsonString(f.Message) + "}";
    j += ", \"parameters\": {";
    for (std::size_t i = 0; i < f.Parameters.size(); ++i)
        j += (i ? ", " : "") + JsonString(f.Parameters[i].Name) + ": " + Number(f.Parameters[i].Value, digits);
    j += "}, \"quality\": " + Number(f.Quality, digits) + ", \"points\": " + std::to_string(points);
    if (f.Choice.Kind == mkPoly) j += std::string(", \"truncated\": ") + (f.Truncated ? "true" : "false");
    if (!f.Values.empty()) {
        j += ", \"at\": [";
        for (std::size_t i = 0; i < f.Values.size(); ++i) {
            const TValueAt& v = f.Values[i];
            j += (i ? ", " : "") + std::string("{\"x\": ") + Number(v.X, digits) + ", \"y\": " +
                 (v.Defined ? Number(v.Y, digits) : "null");
            if (!v.Defined) j += ", \"note\": " + JsonString(v.Note);
            j += "}";
        }
        j += "]";
    }
    return j + "}";
}

void PrintJson(std::ostream& out, const std::vector<TModelFit>& fits, bool several, int points, int digits)
{
    if (!several) {
        out << JsonModel(fits.front(), points, digits) << '\n';
        return;
    }
    out << "{\"points\": " << points << ", \"models\": [\n";
    for (std::size_t i = 0; i < fits.size(); ++i)
        out << "  " << JsonModel(fits[i], points, digits) << (i + 1 < fits.size() ? ",\n" : "\n");
    out << "]}\n";
}

// The engine counts its points in an int and grows its table in steps of 1000 rows.
constexpr std::size_t kMaxPoints = static_cast<std::size_t>(INT_MAX - 1000);

struct TTooManyPoints {};

int Run(const TOptions& o, std::ostream& out, std::ostream& err)
{
    const std::string shown = o.File == "-" ? std::string("standard input") : o.File;
    // The rows go into the engine as they are read, so the points are held once. A reading that
    // fails leaves the engine with some of them; it is then dropped unused.
    TCurveFit engine;
    std::size_t n = 0;
    TTableReadResult read;
    try {
        read = ReadTableFile(o.File, o.Read, [&](const double* pairs, std::size_t count) {
            if (count > kMaxPoints - n) throw TTooManyPoints{};
            for (std::size_t i = 0; i < count; ++i) engine.AddPoint(pairs[2 * i], pairs[2 * i + 1]);
            n += count;
        });
    } catch (const TTooManyPoints&) {
        err << kProgram << ": " << shown << ": more points than the engine holds (" << kMaxPoints << ")\n";
        return kExitBadInput;
    } catch (const std::bad_alloc&) {
        err << kProgram << ": not enough memory for the points of " << shown << "\n";
        return kExitFitFailed;
    } catch (const EQZLError&) {
        err << kProgram << ": not enough memory for the points of " << shown << "\n";
        return kExitFitFailed;
    }
    const auto skipped = [&] {
        return std::to_string(read.SkippedRows) + (read.SkippedRows == 1 ? " row" : " rows") +
               " with a missing value skipped, the first in line " + std::to_string(read.FirstSkippedLine);
    };
    if (!read.Ok()) {
        err << kProgram << ": " << DescribeTableFailure(read.Failure);
        if (read.Failure.Fault == tfNoData && read.SkippedRows > 0) err << " (" << skipped() << ")";
        err << '\n';
        return kExitBadInput;
    }
    if (read.SkippedRows > 0) err << kProgram << ": " << shown << ": " << skipped() << '\n';
    if (n == 0) {
        err << kProgram << ": " << shown << ": the table holds no points\n";
        return kExitBadInput;
    }

    std::vector<TModelFit> fits;
    for (const TModelChoice& choice : o.Models) fits.push_back(FitModel(engine, choice, o.At));

    const bool anyOk = std::any_of(fits.begin(), fits.end(), [](const TModelFit& f) { return f.Ok; });
    const bool anyTruncated = std::any_of(fits.begin(), fits.end(), [](const TModelFit& f) { return f.Truncated; });
    const int distinctX = anyTruncated ? DistinctX(engine) : 0;
    if (!o.Several) {
        const TModelFit& f = fits.front();
        if (!f.Ok) {
            // The engine's own messages go out as they are; the program's get its name.
            if (f.Message.starts_with(f.Choice.Text)) err << kProgram << ": ";
            err << f.Message << '\n';
            return kExitFitFailed;
        }
        if (f.Truncated) err << kProgram << ": " << f.Choice.Text << ": " << TruncationNote(f, distinctX) << '\n';
    } else {
        // Best quality first; failed models last, in the order they were asked for.
        std::stable_sort(fits.begin(), fits.end(), [](const TModelFit& a, const TModelFit& b) {
            if (a.Ok != b.Ok) return a.Ok;
            return a.Ok && a.Quality > b.Quality;
        });
    }
    const int points = static_cast<int>(n);
    switch (o.Format) {
    case fmText:
        if (o.Several) PrintTextSeveral(out, fits, points, o.Digits, distinctX);
        else PrintTextOne(out, fits.front(), points, o.Digits, distinctX);
        break;
    case fmCsv: PrintCsv(out, fits, points, o.Digits); break;
    case fmJson: PrintJson(out, fits, o.Several, points, o.Digits); break;
    }
    out.flush();
    if (!out) {
        err << kProgram << ": cannot write the result: " << std::strerror(errno) << '\n';
        return kExitBadInput;
    }
    return anyOk ? kExitOk : kExitFitFailed;
}

}  // namespace

std::string DescribeTableFailure(const TTableFailure& f)
{
    const std::string where = Shown(f) + ":" + std::to_string(f.Line) + ": ";
    const std::string found = Quoted(f.Found, f.FoundCut);
    const std::string column = "column " + std::to_string(f.Column);
    switch (f.Fault) {
    case tfNone: return {};
    case tfCannotOpen: return "cannot open " + Shown(f) + ": " + std::strerror(f.ErrorCode);
    case tfReadError: return "cannot read " + Shown(f) + ": " + std::strerror(f.ErrorCode);
    case tfBinary: return where + "a NUL byte: this is not a text file";
    case tfInvalidUtf8: return where + "the line is not valid UTF-8: " + found;
    case tfLineTooLong:
        return where + "the line is longer than " + std::to_string(kMaxLineBytes) + " bytes: " + found;
    case tfNoData: return Shown(f) + ": no data rows";
    case tfMissingValue:
        if (f.Column > std::max(2, f.ColumnsInLine))
            return where + "no value in " + column + ": " + found + "; the line holds " + Values(f.ColumnsInLine) +
                   ColumnsFound(f) + Fix(f);
        if (IsMissingMark(f.Found))
            return where + column + ": " + found + " marks a missing value; --skip-missing passes over such rows";
        return where + "no value in " + column + ": " + found + "; --skip-missing passes over rows with a missing value";
    case tfExtraValue:
        return where + "a value in " + column + ", but a row holds x and y only (choose two columns with --columns X,Y): " +
               found + ColumnsFound(f);
    case tfNotANumber: return where + column + ": " + found + " is not a finite number" + ColumnsFound(f) + Fix(f);
    case tfOutOfRange: return where + column + ": " + found + " is beyond the range of double-precision numbers";
    case tfBadLayout: return where + "the header of this data file is not one this program reads: " + found;
    case tfRowCount:
        return Shown(f) + ": the data file declares " + std::to_string(f.Declared) + " rows but holds " +
               std::to_string(f.Counted);
    case tfCancelled: return Shown(f) + ": the reading was cancelled";
    }
    return {};
}

std::string FitProgramHelp()
{
    return R"(Usage: kalmira-fit [options] FILE

Fits a model to the points (x, y) of a table and prints its parameters, the fit
quality and the number of points. FILE is a table of numbers, or - for standard
input.

Models (--model):
  line             y = k*x + d                      (the default)
  parabola         y = k0 + k1*x + k2*x^2
  reciprocal       y = 1/(k0 + k1*x)                y never 0
  log              y = k0 + k1*ln(x)                x > 0
  reciprocal-log   y = 1/(k0 + k1*ln(x))            x > 0, y > 0
  exp              y = k0*exp(k1*x)                 x > 0, y > 0
  poly:N           y = c0 + c1*x + ... + cN*x^N     N from 0 to 10
  spline:F         cubic smoothing spline; F from 0 (through every point)
                   to 1 (as much residue as the straight line)
  spline:auto      the spline smoothed as generalised cross-validation chooses
  spline:df=N      the spline with N equivalent degrees of freedom, from 2 (the
                   line) to the number of distinct x
  all              line, parabola, reciprocal, log, reciprocal-log, exp,
                   poly:3 and spline:0.5, one line each, best quality first
  A comma-separated list (line,exp,poly:4) compares the models named.
The quality is the coefficient of determination R^2; reciprocal, log,
reciprocal-log and exp measure it in the variables they regress (1/y, ln x,
ln y).

Options:
  -m, --model MODEL     the model, or all, or a list (default line)
  --at X,...            also print the fitted value at each X
  --format FORMAT       text, csv or json (default text)
  --digits N            significant digits of the numbers, 1 to 17 (default 17,
                        which reads back as the same double)
  --columns X,Y         the columns of x and y, counted from 1 (2,1 swaps them);
                        without it a row holds exactly two numbers, x then y
  --skip N              pass over the first N lines of the file
  --skip-missing        pass over rows with a missing value (an empty cell, NA,
                        N/A or #N/A) and say how many, instead of stopping
  --separator S         tab, comma, semicolon or blank (default: detected from
                        the first data line)
  -h, --help            this text

Tables: values separated by tabs, commas, semicolons or blanks; a decimal comma
where the separator is not a comma; fields quoted as in CSV; a first line of
column names (over a first column of row labels, as R writes them, too);
lines starting with # or ;, blank lines and rows of empty cells are skipped;
CR LF, LF or CR line ends. The data file the window writes (cfit.asc) is read
as well.

Exit status: 0 success, 1 the fit failed (with --model all: every model
failed), 2 bad input or usage.

Example: which model suits a table best, and a polynomial's value at 0.5 as
JSON (the files are in the examples folder of the sources):
  kalmira-fit --model all --digits 5 examples/growth.csv
  kalmira-fit --model poly:5 --at 0.5 --format json examples/Wampler1.csv
)";
}

int RunFitProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TOptions options;
    try {
        options = ParseArguments(args);
    } catch (const TUsageError& e) {
        err << kProgram << ": " << e.Message << "\nTry '" << kProgram << " --help'.\n";
        return kExitBadInput;
    }
    if (options.Help) {
        out << FitProgramHelp();
        return kExitOk;
    }
    try {
        return Run(options, out, err);
    } catch (const std::bad_alloc&) {
        err << kProgram << ": not enough memory\n";
        return kExitFitFailed;
    }
}
