#include "cli/fitprogram.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
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
    std::string Start;     // --start, given to the nonlinear models once all options are read
    bool Several = false;  // --model all or a list: one line per model, sorted by quality
    std::vector<double> At;
    std::vector<double> Band;
    double Level = 0.95;
    int SigmaColumn = 0;      // 1-based; 0: no standard deviations of y
    bool AbsoluteSigma = false;
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
    } else if (name == "--start") {
        o.Start = value;
    } else if (name == "--at" || name == "--band") {
        std::vector<double>& xs = name == "--at" ? o.At : o.Band;
        xs.clear();
        for (std::string_view part : SplitAtCommas(value)) {
            double x = 0;
            if (!ReadWhole(part, x) || !std::isfinite(x))
                throw TUsageError{name + " takes numbers separated by commas, such as 0.5,1,2; '" + std::string(part) +
                                  "' is not a number"};
            xs.push_back(x);
        }
    } else if (name == "--level") {
        if (!ReadWhole(value, o.Level) || !(o.Level > 0 && o.Level < 1))
            throw TUsageError{"--level takes a probability between 0 and 1, such as 0.95; not '" + value + "'"};
    } else if (name == "--sigma-column") {
        if (!ReadWhole(value, o.SigmaColumn) || o.SigmaColumn < 1)
            throw TUsageError{"--sigma-column takes the column of the standard deviations of y, counted from 1; not '" +
                              value + "'"};
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
    static const char* const kWithValue[] = {"--model", "-m", "--start", "--at", "--band", "--level", "--sigma-column",
                                             "--format", "--digits", "--columns", "--skip", "--separator"};
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
        if (a == "--absolute-sigma") {
            o.AbsoluteSigma = true;
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
    if (!o.Start.empty()) {
        std::string message;
        if (!ApplyStart(o.Start, o.Models, message)) throw TUsageError{message};
    }
    if (o.AbsoluteSigma && o.SigmaColumn == 0) throw TUsageError{"--absolute-sigma needs --sigma-column"};
    // Rows of three values or more: x and y are the first two unless chosen.
    if (o.SigmaColumn > 0 && o.Read.ColumnX == 0 && o.Read.ColumnY == 0) {
        o.Read.ColumnX = 1;
        o.Read.ColumnY = 2;
    }
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

// A number for JSON: null where there is none.
std::string JsonNumber(bool defined, double v, int digits)
{
    return defined && std::isfinite(v) ? Number(v, digits) : "null";
}

// What a truncated polynomial fit means for its result. With r distinct x the data fix a
// polynomial of order r - 1 only: the coefficients of x^r and above are not determined by them,
// and the fit shows the smallest-norm choice. Points that are distinct but too close together
// leave a combination of coefficients open instead.
std::string TruncationNote(const TModelFit& fit, int distinctX)
{
    const std::vector<TFitParameter>& parameters = fit.Result.Parameters;
    const int cols = static_cast<int>(parameters.size());
    if (distinctX >= cols)
        return "the x values lie too close together to determine every coefficient; the smallest-norm solution is "
               "shown";
    const std::string open = distinctX + 1 == cols ? parameters.back().Name + " is"
                                                   : parameters[distinctX].Name + " to " + parameters.back().Name +
                                                         " are";
    return open + " not determined by the data (" + std::to_string(distinctX) + " distinct x); the smallest-norm " +
           "solution is shown";
}

bool HasCentredForm(const TModelFit& fit) { return !fit.Result.Centered.Coefficients.empty(); }

// Whether the parameters, summed as the formula says, cancel too much over the data to give the
// curve's values in doubles (the polynomials far from x = 0); then its note says so once.
bool RawFormCancels(const TModelFit& fit) { return fit.RawCancellation > kRawFormCancellationLimit; }

std::string CancellationNote(const TModelFit& fit)
{
    const int lost = static_cast<int>(std::lround(std::log10(fit.RawCancellation)));
    return fit.Result.Parameters.front().Name + " to " + fit.Result.Parameters.back().Name +
           " cancel when summed in doubles at these x (about " + std::to_string(std::min(lost, 16)) +
           " of 16 digits lost); the centred form does not";
}

// The centred form's coefficients d0, d1, ... of t^0, t^1, ...
std::string CentredName(std::size_t j) { return "d" + std::to_string(j); }

std::string CentredFormula(const TModelFit& fit)
{
    std::string f = "y = d0";
    for (std::size_t j = 1; j < fit.Result.Centered.Coefficients.size(); ++j)
        f += " + d" + std::to_string(j) + "*t" + (j > 1 ? "^" + std::to_string(j) : std::string());
    return f + " with t = (x - centre) / scale";
}

std::string LevelText(double level) { return Number(level * 100, 6) + " %"; }

void PrintRows(std::ostream& out, const std::vector<std::pair<std::string, std::string>>& rows)
{
    std::size_t width = 0;
    for (const auto& r : rows) width = std::max(width, r.first.size());
    for (const auto& r : rows) out << Padded(r.first, width + 2) << r.second << '\n';
}

// A table of columns, each as wide as its widest cell.
void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& table)
{
    std::vector<std::size_t> widths;
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) widths.push_back(0);
            widths[c] = std::max(widths[c], row[c].size());
        }
    for (const auto& row : table) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) line += c + 1 < row.size() ? Padded(row[c], widths[c] + 2) : row[c];
        out << line << '\n';
    }
}

void PrintTextOne(std::ostream& out, const TModelFit& fit, int points, int digits, int distinctX, double level)
{
    const TFitResult& r = fit.Result;
    std::vector<std::pair<std::string, std::string>> rows = {{"model", fit.Choice.Text}, {"formula", FormulaText(fit.Choice)}};
    for (const TFitParameter& p : r.Parameters) rows.emplace_back(p.Name, Number(p.Value, digits));
    if (RawFormCancels(fit)) rows.emplace_back("note", CancellationNote(fit));
    rows.emplace_back("quality", Number(r.Quality, digits));
    rows.emplace_back("points", std::to_string(points));
    if (r.Model.Kind == mkNonlinear) rows.emplace_back("iterations", std::to_string(r.Iterations));
    if (r.Truncated) rows.emplace_back("note", TruncationNote(fit, distinctX));
    if (HasCentredForm(fit)) {
        rows.emplace_back("centred", CentredFormula(fit));
        rows.emplace_back("centre", Number(r.Centered.Centre, digits));
        rows.emplace_back("scale", Number(r.Centered.Scale, digits));
        for (std::size_t j = 0; j < r.Centered.Coefficients.size(); ++j)
            rows.emplace_back(CentredName(j), Number(r.Centered.Coefficients[j], digits));
    }
    for (const TValueAt& v : fit.Values) rows.emplace_back(AtName(v.X, digits), ValueText(v, digits));
    PrintRows(out, rows);

    const TFitStatistics& st = r.Statistics;
    if (r.HasErrors) {
        out << '\n';
        std::vector<std::vector<std::string>> table = {
            {"parameter", "estimate", "std. error", "t value", "p value", LevelText(level) + " from", "to"}};
        for (std::size_t j = 0; j < r.Parameters.size(); ++j) {
            const TParameterUncertainty u = ParameterUncertainty(r, j, level);
            table.push_back({r.Parameters[j].Name, Number(r.Parameters[j].Value, digits), Number(u.StdError, digits),
                             u.TDefined ? Number(u.TValue, digits) : "-", u.TDefined ? Number(u.PValue, digits) : "-",
                             Number(u.Low, digits), Number(u.High, digits)});
        }
        PrintTable(out, table);
    }
    if (r.Model.Kind != mkSpline && st.Points > 0) {
        out << '\n';
        std::vector<std::pair<std::string, std::string>> stats;
        stats.emplace_back("residual sum of squares", Number(st.Rss, digits));
        if (st.Dof > 0) {
            stats.emplace_back("residual std. error", Number(st.ResidualStdError, digits) + " on " +
                                                          std::to_string(st.Dof) + " degrees of freedom");
            stats.emplace_back("adjusted R^2", Number(st.AdjRSquared, digits));
        } else {
            stats.emplace_back("residual std. error", "none: no degrees of freedom left");
        }
        if (st.HasF)
            stats.emplace_back("F", Number(st.FStatistic, digits) + " on " + std::to_string(st.Rank - 1) + " and " +
                                        std::to_string(st.Dof) + " degrees of freedom, p = " +
                                        Number(st.FPValue, digits));
        if (st.HasInformation) {
            stats.emplace_back("AIC", Number(st.Aic, digits));
            stats.emplace_back("BIC", Number(st.Bic, digits));
        }
        PrintRows(out, stats);
    } else if (r.Model.Kind == mkSpline && st.Points > 0) {
        out << '\n';
        PrintRows(out, {{"residual sum of squares", Number(st.Rss, digits)},
                        {"degrees of freedom", Number(st.Df, digits)},
                        {"GCV", Number(st.Gcv, digits)}});
    }
    if (!fit.Band.empty()) {
        out << '\n';
        std::vector<std::vector<std::string>> table = {
            {"x", "y", "confidence from", "to", "prediction from", "to"}};
        for (const TBandPoint& b : fit.Band) {
            if (!b.Defined) {
                table.push_back({Number(b.X, digits), "no band"});
                continue;
            }
            table.push_back({Number(b.X, digits), Number(b.Y, digits), Number(b.ConfLow, digits),
                             Number(b.ConfHigh, digits), Number(b.PredLow, digits), Number(b.PredHigh, digits)});
        }
        out << "band at " << LevelText(level) << '\n';
        PrintTable(out, table);
    }
}

void PrintTextSeveral(std::ostream& out, const std::vector<TModelFit>& fits, int points, int digits, int distinctX)
{
    out << "# " << points << " points; models sorted by AIC of the residuals in y; quality in the model's own "
           "variables, R^2 in y\n";
    std::vector<std::vector<std::string>> table = {{"model", "AIC in y", "quality", "R^2 in y", "parameters"}};
    for (const TModelFit& f : fits) {
        if (!f.Ok) {
            table.push_back({f.Choice.Text, "-", "-", "-", f.Message});
            continue;
        }
        std::string line;
        for (const TFitParameter& p : f.Result.Parameters) line += p.Name + " = " + Number(p.Value, digits) + "  ";
        for (const TValueAt& v : f.Values) line += AtName(v.X, digits) + " = " + ValueText(v, digits) + "  ";
        if (RawFormCancels(f)) line += "(" + CancellationNote(f) + ")  ";
        if (f.Result.Truncated) line += "(" + TruncationNote(f, distinctX) + ")";
        while (!line.empty() && line.back() == ' ') line.pop_back();
        table.push_back({f.Choice.Text, f.HasAicY ? Number(f.AicY, digits) : f.HasY && f.RssY == 0 ? "exact" : "-",
                         Number(f.Result.Quality, digits), f.HasY ? Number(f.RSquaredY, digits) : "-", line});
    }
    PrintTable(out, table);
}

void PrintCsv(std::ostream& out, const std::vector<TModelFit>& fits, int points, int digits, double level)
{
    out << "model,item,value\n";
    for (const TModelFit& f : fits) {
        const std::string model = CsvField(f.Choice.Text);
        if (!f.Ok) {
            out << model << ",error," << CsvField(f.Message) << '\n';
            continue;
        }
        const TFitResult& r = f.Result;
        const auto row = [&](const std::string& item, const std::string& value) {
            out << model << ',' << CsvField(item) << ',' << value << '\n';
        };
        for (const TFitParameter& p : r.Parameters) row(p.Name, Number(p.Value, digits));
        row("quality", Number(r.Quality, digits));
        row("points", std::to_string(points));
        if (r.Model.Kind == mkNonlinear) row("iterations", std::to_string(r.Iterations));
        if (r.Truncated) row("truncated", "1");
        if (HasCentredForm(f)) {
            row("centre", Number(r.Centered.Centre, digits));
            row("scale", Number(r.Centered.Scale, digits));
            for (std::size_t j = 0; j < r.Centered.Coefficients.size(); ++j)
                row(CentredName(j), Number(r.Centered.Coefficients[j], digits));
            if (RawFormCancels(f)) row("raw_form_cancels", "1");
        }
        for (const TValueAt& v : f.Values) row(AtName(v.X, digits), ValueText(v, digits));
        if (r.HasErrors)
            for (std::size_t j = 0; j < r.Parameters.size(); ++j) {
                const TParameterUncertainty u = ParameterUncertainty(r, j, level);
                const std::string& name = r.Parameters[j].Name;
                row("std_error:" + name, Number(u.StdError, digits));
                if (u.TDefined) {
                    row("t_value:" + name, Number(u.TValue, digits));
                    row("p_value:" + name, Number(u.PValue, digits));
                }
                row("ci_low:" + name, Number(u.Low, digits));
                row("ci_high:" + name, Number(u.High, digits));
            }
        const TFitStatistics& st = r.Statistics;
        if (st.Points > 0) {
            row("rss", Number(st.Rss, digits));
            if (f.Choice.Kind == mkSpline) {
                row("df", Number(st.Df, digits));
                row("gcv", Number(st.Gcv, digits));
            } else {
                row("dof", std::to_string(st.Dof));
                if (st.Dof > 0) {
                    row("residual_std_error", Number(st.ResidualStdError, digits));
                    row("adj_r_squared", Number(st.AdjRSquared, digits));
                }
                if (st.HasF) {
                    row("f_statistic", Number(st.FStatistic, digits));
                    row("f_p_value", Number(st.FPValue, digits));
                }
                if (st.HasInformation) {
                    row("aic", Number(st.Aic, digits));
                    row("bic", Number(st.Bic, digits));
                }
            }
        }
        if (f.HasY) row("r_squared_y", Number(f.RSquaredY, digits));
        if (f.HasAicY) row("aic_y", Number(f.AicY, digits));
        for (const TBandPoint& b : f.Band) {
            const std::string at = "(" + Number(b.X, digits) + ")";
            if (!b.Defined) {
                row("band" + at, "undefined");
                continue;
            }
            row("conf_low" + at, Number(b.ConfLow, digits));
            row("conf_high" + at, Number(b.ConfHigh, digits));
            row("pred_low" + at, Number(b.PredLow, digits));
            row("pred_high" + at, Number(b.PredHigh, digits));
        }
    }
}

std::string JsonModel(const TModelFit& f, int points, int digits, double level, bool several)
{
    std::string j = "{\"model\": " + JsonString(f.Choice.Text) + ", \"formula\": " + JsonString(FormulaText(f.Choice));
    if (!f.Ok) return j + ", \"error\": " + JsonString(f.Message) + "}";
    const TFitResult& r = f.Result;
    j += ", \"parameters\": {";
    for (std::size_t i = 0; i < r.Parameters.size(); ++i)
        j += (i ? ", " : "") + JsonString(r.Parameters[i].Name) + ": " + Number(r.Parameters[i].Value, digits);
    j += "}, \"quality\": " + Number(r.Quality, digits) + ", \"points\": " + std::to_string(points);
    if (f.Choice.Kind == mkPoly) j += std::string(", \"truncated\": ") + (r.Truncated ? "true" : "false");
    if (HasCentredForm(f)) {
        j += ", \"centered\": {\"centre\": " + Number(r.Centered.Centre, digits) + ", \"scale\": " +
             Number(r.Centered.Scale, digits) + ", \"coefficients\": [";
        for (std::size_t i = 0; i < r.Centered.Coefficients.size(); ++i)
            j += (i ? ", " : "") + Number(r.Centered.Coefficients[i], digits);
        j += std::string("]}, \"raw_form_cancels\": ") + (RawFormCancels(f) ? "true" : "false");
    }
    if (f.Choice.Kind == mkNonlinear) j += ", \"iterations\": " + std::to_string(r.Iterations);
    if (r.HasErrors) {
        j += ", \"uncertainty\": {";
        for (std::size_t i = 0; i < r.Parameters.size(); ++i) {
            const TParameterUncertainty u = ParameterUncertainty(r, i, level);
            j += (i ? ", " : "") + JsonString(r.Parameters[i].Name) + ": {\"std_error\": " +
                 Number(u.StdError, digits) + ", \"t_value\": " + JsonNumber(u.TDefined, u.TValue, digits) +
                 ", \"p_value\": " + JsonNumber(u.TDefined, u.PValue, digits) + ", \"ci_low\": " +
                 Number(u.Low, digits) + ", \"ci_high\": " + Number(u.High, digits) + "}";
        }
        j += "}";
    }
    const TFitStatistics& st = r.Statistics;
    if (st.Points > 0) {
        if (f.Choice.Kind == mkSpline) {
            j += ", \"statistics\": {\"n\": " + std::to_string(st.Points) + ", \"rss\": " + Number(st.Rss, digits) +
                 ", \"df\": " + Number(st.Df, digits) + ", \"gcv\": " + Number(st.Gcv, digits) + "}";
        } else {
            j += ", \"statistics\": {\"n\": " + std::to_string(st.Points) + ", \"dof\": " + std::to_string(st.Dof) +
                 ", \"rss\": " + Number(st.Rss, digits) + ", \"residual_std_error\": " +
                 JsonNumber(st.Dof > 0, st.ResidualStdError, digits) + ", \"r_squared\": " +
                 Number(st.RSquared, digits) + ", \"adj_r_squared\": " + JsonNumber(st.Dof > 0, st.AdjRSquared, digits) +
                 ", \"f_statistic\": " + JsonNumber(st.HasF, st.FStatistic, digits) + ", \"f_p_value\": " +
                 JsonNumber(st.HasF, st.FPValue, digits) + ", \"aic\": " +
                 JsonNumber(st.HasInformation, st.Aic, digits) + ", \"bic\": " +
                 JsonNumber(st.HasInformation, st.Bic, digits) + "}";
        }
    }
    if (several) {
        j += ", \"r_squared_y\": " + JsonNumber(f.HasY, f.RSquaredY, digits) +
             ", \"aic_y\": " + JsonNumber(f.HasAicY, f.AicY, digits);
    }
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
    if (!f.Band.empty()) {
        j += ", \"level\": " + Number(level, digits) + ", \"band\": [";
        for (std::size_t i = 0; i < f.Band.size(); ++i) {
            const TBandPoint& b = f.Band[i];
            j += (i ? ", " : "") + std::string("{\"x\": ") + Number(b.X, digits) + ", \"y\": " +
                 JsonNumber(b.Defined, b.Y, digits) + ", \"conf_low\": " + JsonNumber(b.Defined, b.ConfLow, digits) +
                 ", \"conf_high\": " + JsonNumber(b.Defined, b.ConfHigh, digits) + ", \"pred_low\": " +
                 JsonNumber(b.Defined, b.PredLow, digits) + ", \"pred_high\": " +
                 JsonNumber(b.Defined, b.PredHigh, digits) + "}";
        }
        j += "]";
    }
    return j + "}";
}

void PrintJson(std::ostream& out, const std::vector<TModelFit>& fits, bool several, int points, int digits,
               double level)
{
    if (!several) {
        out << JsonModel(fits.front(), points, digits, level, false) << '\n';
        return;
    }
    out << "{\"points\": " << points << ", \"models\": [\n";
    for (std::size_t i = 0; i < fits.size(); ++i)
        out << "  " << JsonModel(fits[i], points, digits, level, true) << (i + 1 < fits.size() ? ",\n" : "\n");
    out << "]}\n";
}

// The order of --model all: an exact fit in y first (the one with fewer parameters first), then
// the smallest AIC of the residuals in y, then models without one by their quality, failed
// models last; ties keep the order asked for.
bool RanksBefore(const TModelFit& a, const TModelFit& b)
{
    if (a.Ok != b.Ok) return a.Ok;
    if (!a.Ok) return false;
    const bool exactA = a.HasY && a.RssY == 0, exactB = b.HasY && b.RssY == 0;
    if (exactA != exactB) return exactA;
    if (exactA) return a.Result.Parameters.size() < b.Result.Parameters.size();
    if (a.HasAicY != b.HasAicY) return a.HasAicY;
    if (a.HasAicY) return a.AicY < b.AicY;
    return a.Result.Quality > b.Result.Quality;
}

// The engine counts its points in an int and grows its table in steps of 1000 rows.
constexpr std::size_t kMaxPoints = static_cast<std::size_t>(INT_MAX - 1000);

struct TTooManyPoints {};

// The standard deviations of y from their column, one per point: a second reading of the file
// that takes the column as its x. A missing, zero or negative one is an error naming its row.
int ReadSigma(const TOptions& o, std::size_t points, std::vector<double>& sigma, std::ostream& err)
{
    if (o.File == "-") {
        err << kProgram << ": --sigma-column reads a file a second time, so it cannot take standard input\n";
        return kExitBadInput;
    }
    TTableReadOptions options = o.Read;
    options.ColumnX = o.SigmaColumn;
    options.ColumnY = o.Read.ColumnY;
    const TTableReadResult read = ReadTableFile(o.File, options, [&](const double* pairs, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) sigma.push_back(pairs[2 * i]);
    });
    if (!read.Ok()) {
        err << kProgram << ": " << DescribeTableFailure(read.Failure) << '\n';
        return kExitBadInput;
    }
    if (sigma.size() != points) {
        err << kProgram << ": " << o.File << ": " << sigma.size() << " standard deviations for " << points
            << " points: a row has a missing value in the column of x or of the standard deviations\n";
        return kExitBadInput;
    }
    for (std::size_t i = 0; i < sigma.size(); ++i)
        if (!(sigma[i] > 0) || !std::isfinite(1.0 / (sigma[i] * sigma[i]))) {
            err << kProgram << ": " << o.File << ": data row " << i + 1 << ": the standard deviation "
                << Number(sigma[i], kDefaultDigits) << " is not a positive number (column " << o.SigmaColumn << ")\n";
            return kExitBadInput;
        }
    return kExitOk;
}

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

    TFitRequest request;
    request.At = o.At;
    request.Band = o.Band;
    request.Level = o.Level;
    request.InY = o.Several;
    request.Statistics.AbsoluteSigma = o.AbsoluteSigma;
    if (o.SigmaColumn > 0) {
        const int status = ReadSigma(o, n, request.Statistics.Sigma, err);
        if (status != kExitOk) return status;
    }
    std::vector<TModelFit> fits;
    for (const TModelChoice& choice : o.Models) fits.push_back(FitModel(engine, choice, request));

    const bool anyOk = std::any_of(fits.begin(), fits.end(), [](const TModelFit& f) { return f.Ok; });
    const bool anyTruncated =
        std::any_of(fits.begin(), fits.end(), [](const TModelFit& f) { return f.Result.Truncated; });
    const int distinctX = anyTruncated ? DistinctX(engine) : 0;
    if (!o.Several) {
        const TModelFit& f = fits.front();
        if (!f.Ok) {
            // The engine's own messages go out as they are; the program's get its name.
            if (f.Message.starts_with(f.Choice.Text)) err << kProgram << ": ";
            err << f.Message << '\n';
            return kExitFitFailed;
        }
        if (f.Result.Truncated) err << kProgram << ": " << f.Choice.Text << ": " << TruncationNote(f, distinctX) << '\n';
    } else {
        std::stable_sort(fits.begin(), fits.end(), RanksBefore);
    }
    const int points = static_cast<int>(n);
    switch (o.Format) {
    case fmText:
        if (o.Several) PrintTextSeveral(out, fits, points, o.Digits, distinctX);
        else PrintTextOne(out, fits.front(), points, o.Digits, distinctX, o.Level);
        break;
    case fmCsv: PrintCsv(out, fits, points, o.Digits, o.Level); break;
    case fmJson: PrintJson(out, fits, o.Several, points, o.Digits, o.Level); break;
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
    return R"help(Usage: kalmira-fit [options] FILE

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
  power            y = a*x^b
  logistic         y = a/(1+exp(-b*(x-c)))
  gauss            y = a*exp(-(x-b)^2/(2*c^2))
  saturation       y = a*x/(b+x)
  exp-offset       y = a*exp(b*x)+c
  exp-y            y = a*exp(b*x), fitted in y itself (exp fits ln y)
  "y = FORMULA"    a model of your own, such as "y = b1*(1-exp(-b2*x))":
                   + - * / ^, parentheses, numbers, x, pi, exp, ln, log10,
                   sqrt, sin, cos, tan, atan, abs; every other name is a
                   parameter, starting at 1 unless --start gives it
  all              line, parabola, reciprocal, log, reciprocal-log, exp,
                   poly:3, spline:0.5 and the six models above, one line
                   each, the best first
  A comma-separated list (line,exp,poly:4) compares the models named.

The models from power on are fitted by nonlinear least squares in y
(Levenberg-Marquardt with exact derivatives); the six named ones find their
own starting values in the data. A fit that does not converge fails and
says why.
The quality is the coefficient of determination R^2; reciprocal, log,
reciprocal-log and exp measure it in the variables they regress (1/y, ln x,
ln y). Several models are ranked by the AIC of their residuals in y itself,
the same variable for each, and show R^2 in y beside their own quality.

Each fit also prints the standard error, t value, p value and interval of
every parameter, the residual standard error, adjusted R^2, F with its p
value, AIC and BIC, following the usual conventions of linear regression
(s^2 = RSS/(n - p), t on n - p degrees of freedom); the transformed models
in the variables they regress, exp's k0 with the interval e^(that of ln k0).
The nonlinear models take their standard errors from the Jacobian at the
solution (s^2 (J^T J)^-1), their bands by the delta method, and print the
number of iterations; they have no F.

Options:
  -m, --model MODEL     the model, or all, or a list (default line)
  --start NAME=V,...    starting values of a formula's (or a built-in's)
                        parameters, such as b1=500,b2=1e-4
  --at X,...            also print the fitted value at each X
  --band X,...          also print the confidence band of the curve and the
                        prediction band of a new point at each X
  --level P             the level of the intervals and bands (default 0.95)
  --sigma-column N      column N holds the standard deviation of each y: the
                        line, parabola and poly:N are fitted by weighted least
                        squares, the errors rescaled by the residual variance
  --absolute-sigma      take those standard deviations as they are, without
                        rescaling
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
A logistic growth curve, and a formula of your own with starting values:
  kalmira-fit --model logistic examples/yeast.csv
  kalmira-fit --model "y = b1*(1-exp(-b2*x))" --start b1=500,b2=1e-4 \
      examples/Misra1a.csv
)help";
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
