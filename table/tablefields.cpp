#include "table/tablefields.h"

#include <cstring>

namespace tablefields {

namespace {

// Whether the name would read as the start of a number once its leading backslashes are gone;
// such a name is written with one backslash more.
bool NeedsEscape(std::string_view s)
{
    while (!s.empty() && s.front() == '\\') s.remove_prefix(1);
    return LooksNumeric(Trim(s));
}

}  // namespace

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool LooksNumeric(std::string_view f)
{
    if (!f.empty() && (f[0] == '+' || f[0] == '-')) f.remove_prefix(1);
    if (f.empty()) return false;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (digit(f[0])) return true;
    if ((f[0] == '.' || f[0] == ',') && f.size() > 1 && digit(f[1])) return true;
    const auto startsWith = [&](const char* word) {
        if (f.size() < 3) return false;
        for (int i = 0; i < 3; ++i)
            if ((f[i] | 0x20) != word[i]) return false;
        return true;
    };
    return startsWith("nan") || startsWith("inf");
}

std::string NameField(std::string_view name, char separator)
{
    std::string text(name);
    // A line end (or a NUL, which marks a binary file) cannot stand inside a field; a blank does.
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    if (NeedsEscape(text)) text.insert(0, 1, '\\');
    // Quoted: an empty name (an empty field reads as no name), blanks that trimming would take or
    // that split a field, any separator the reader may detect, a quote, and a '#' or ';' that
    // would make the line a comment.
    const bool quote = text.empty() || text.find_first_of(" \t,;\"") != std::string::npos || text.front() == '#' ||
                       (separator != 0 && text.find(separator) != std::string::npos);
    if (!quote) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string NameFromField(std::string_view field)
{
    if (!field.empty() && field.front() == '\\' && NeedsEscape(field.substr(1))) field.remove_prefix(1);
    return std::string(field);
}

std::string_view TFieldSplitter::ReadQuoted()
{
    const char* start = m_p;
    auto* q = static_cast<const char*>(std::memchr(start, '"', static_cast<std::size_t>(m_end - start)));
    if (!q) {
        m_p = m_end;
        return {start, static_cast<std::size_t>(m_end - start)};
    }
    if (q + 1 == m_end || q[1] != '"') {
        m_p = q + 1;
        return {start, static_cast<std::size_t>(q - start)};
    }
    m_copy.assign(start, static_cast<std::size_t>(q - start) + 1);
    const char* p = q + 2;
    for (;;) {
        q = static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(m_end - p)));
        if (!q) {
            m_copy.append(p, m_end);
            m_p = m_end;
            return m_copy;
        }
        m_copy.append(p, q);
        if (q + 1 < m_end && q[1] == '"') {
            m_copy += '"';
            p = q + 2;
            continue;
        }
        m_p = q + 1;
        return m_copy;
    }
}

bool TFieldSplitter::Next(std::string_view& field)
{
    m_quoted = false;
    // The quoted field and the text behind its closing quote, as one.
    const auto joined = [&](std::string_view inner, std::string_view rest) -> std::string_view {
        if (rest.empty()) return inner;
        if (inner.data() != m_copy.data()) m_copy.assign(inner);
        m_copy.append(rest);
        return m_copy;
    };
    if (m_separator == ' ') {
        while (m_p < m_end && IsBlank(*m_p)) ++m_p;
        if (m_p == m_end) return false;
        std::string_view inner;
        if (*m_p == '"') {
            ++m_p;
            m_quoted = true;
            inner = ReadQuoted();
        }
        const char* start = m_p;
        while (m_p < m_end && !IsBlank(*m_p)) ++m_p;
        const std::string_view rest(start, static_cast<std::size_t>(m_p - start));
        field = m_quoted ? joined(inner, rest) : rest;
        return true;
    }
    if (m_done) return false;
    const char* s = m_p;
    while (s < m_end && IsBlank(*s)) ++s;
    std::string_view inner;
    if (s < m_end && *s == '"') {
        m_p = s + 1;
        m_quoted = true;
        inner = ReadQuoted();
    }
    const char* start = m_p;
    auto* stop = static_cast<const char*>(std::memchr(start, m_separator, static_cast<std::size_t>(m_end - start)));
    if (!stop) {
        stop = m_end;
        m_done = true;
    } else {
        m_p = stop + 1;
    }
    const std::string_view rest = Trim({start, static_cast<std::size_t>(stop - start)});
    field = m_quoted ? joined(inner, rest) : rest;
    return true;
}

bool TFieldSplitter::RestEmpty()
{
    std::string_view f;
    while (Next(f))
        if (!f.empty()) return false;
    return true;
}

bool HoldsOutsideQuotes(std::string_view line, char c)
{
    // Every quote opens or closes (a doubled one does both), so a quote inside a field that is
    // not quoted throws the count off; this only decides between separators that both fail.
    bool quoted = false;
    for (char d : line) {
        if (d == '"') quoted = !quoted;
        else if (d == c && !quoted) return true;
    }
    return false;
}

}  // namespace tablefields
