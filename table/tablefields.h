#pragma once
// The fields of a table line as the reader and the writer both see them. A field may be quoted in
// the common CSV way: "a ""b"", c" holds a "b", c (a doubled quote stands for one). A column name
// that starts like a number gets a backslash in front, so that the line of names is not taken for
// a row of data; the reader drops it again.
#include <string>
#include <string_view>

namespace tablefields {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s);

// Whether a field starts like a number: an optional sign, then a digit or a point (or comma) and
// a digit, or the words nan and inf.
bool LooksNumeric(std::string_view field);

// The text that stands for the column name `name` in a line of names whose fields are split at
// `separator` (' ' for runs of blanks); the reader's NameFromField gives `name` back. Line ends in
// the name become blanks, since a field ends at the line's end.
std::string NameField(std::string_view name, char separator);

// A column name from a field as the splitter gives it (without its quotes).
std::string NameFromField(std::string_view field);

// The fields of one line: runs of non-blanks for the blank separator, else the trimmed texts
// between separators (an empty one too). A field whose first non-blank is a quote runs to the
// closing quote; it is given without its quotes and with each doubled quote as one, and text after
// the closing quote up to the separator is appended. A quote left open runs to the line's end.
class TFieldSplitter {
public:
    TFieldSplitter(std::string_view line, char separator)
        : m_p(line.data()), m_end(line.data() + line.size()), m_separator(separator) {}

    // The next field; the view lasts until the next call.
    bool Next(std::string_view& field);
    // Whether the last field was quoted.
    bool Quoted() const { return m_quoted; }
    // Whether the fields left are all empty (each one is read).
    bool RestEmpty();

private:
    // Reads a quoted field from just after its opening quote; leaves m_p after the closing one.
    std::string_view ReadQuoted();

    const char* m_p;
    const char* m_end;
    char m_separator;
    bool m_done = false;
    bool m_quoted = false;
    std::string m_copy;  // a quoted field with doubled quotes or text behind its closing quote
};

// Whether `c` occurs in the line outside quotes.
bool HoldsOutsideQuotes(std::string_view line, char c);

}  // namespace tablefields
