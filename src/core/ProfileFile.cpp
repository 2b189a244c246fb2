#include "core/ProfileFile.h"

#include <QString>

#include <array>
#include <cstring>

namespace {

constexpr qsizetype MaxValueLength = 2047;
constexpr char Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype BomLength = 3;

// Lower case of every byte: ASCII only for UTF-8 text (where the upper half
// holds pieces of characters), ASCII and the letters of Windows-1252 otherwise.
using FoldTable = std::array<unsigned char, 256>;

constexpr FoldTable makeFold(bool cp1252)
{
    FoldTable t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int i = 'A'; i <= 'Z'; ++i)
        t[i] = static_cast<unsigned char>(i + 0x20);
    if (cp1252) {
        t[0x8A] = 0x9A; // Š
        t[0x8C] = 0x9C; // Œ
        t[0x8E] = 0x9E; // Ž
        t[0x9F] = 0xFF; // Ÿ
        for (int i = 0xC0; i <= 0xDE; ++i) {
            if (i != 0xD7) // ×
                t[i] = static_cast<unsigned char>(i + 0x20);
        }
    }
    return t;
}

constexpr FoldTable FoldCp1252 = makeFold(true);
constexpr FoldTable FoldAscii = makeFold(false);

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

struct Span
{
    const char *begin = nullptr;
    const char *end = nullptr;
    qsizetype size() const { return end - begin; }
};

Span trimmed(const char *b, const char *e)
{
    while (b < e && isBlank(*b))
        ++b;
    while (e > b && isBlank(e[-1]))
        --e;
    return {b, e};
}

bool hasHighBytes(const char *b, const char *e)
{
    for (; b < e; ++b) {
        if (static_cast<unsigned char>(*b) >= 0x80)
            return true;
    }
    return false;
}

// One line of the file, classified the way the profile rules read it.
struct Line
{
    enum Kind { Other, Header, Key };
    const char *begin = nullptr; // first byte of the line
    const char *end = nullptr;   // before the line end
    const char *next = nullptr;  // after the line end
    Kind kind = Other;
    Span name;  // section name of a header, key of a key line
    Span value; // value of a key line, blanks around it removed
};

class Lines
{
public:
    Lines(const char *begin, const char *end) : m_pos(begin), m_end(end) {}

    bool next(Line &line)
    {
        if (m_pos >= m_end)
            return false;
        const char *p = m_pos;
        const char *e = p;
        while (e < m_end && *e != '\r' && *e != '\n')
            ++e;
        const char *n = e;
        if (n < m_end) {
            if (*n == '\r' && n + 1 < m_end && n[1] == '\n')
                n += 2;
            else
                ++n;
        }
        m_pos = n;

        line.begin = p;
        line.end = e;
        line.next = n;
        line.kind = Line::Other;
        while (p < e && isBlank(*p))
            ++p;
        if (p == e || *p == ';')
            return true;
        if (*p == '[') {
            const auto *close = static_cast<const char *>(std::memchr(p + 1, ']', size_t(e - p - 1)));
            if (close) {
                line.kind = Line::Header;
                line.name = trimmed(p + 1, close);
                return true;
            }
        }
        if (const auto *eq = static_cast<const char *>(std::memchr(p, '=', size_t(e - p)))) {
            line.kind = Line::Key;
            line.name = trimmed(p, eq);
            line.value = trimmed(eq + 1, e);
        }
        return true;
    }

private:
    const char *m_pos;
    const char *m_end;
};

// CR or LF would split a line; they are written as blanks.
QByteArray oneLine(const QByteArray &text)
{
    QByteArray out = text;
    for (char &c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// A section or key name as asked for, compared with the names in the file.
class Name
{
public:
    Name(const QByteArray &name, bool utf8)
        : m_fold(utf8 ? FoldAscii : FoldCp1252)
    {
        const QByteArray text = oneLine(name);
        const Span s = trimmed(text.constData(), text.constData() + text.size());
        m_text = QByteArray(s.begin, s.size());
        m_folded = m_text;
        for (char &c : m_folded)
            c = char(m_fold[static_cast<unsigned char>(c)]);
        // Letters beyond ASCII in UTF-8 need Unicode case rules.
        if (utf8 && hasHighBytes(s.begin, s.end))
            m_unicode = QString::fromUtf8(m_text);
    }

    const QByteArray &text() const { return m_text; }

    bool matches(Span s) const
    {
        if (s.size() == m_folded.size()) {
            const auto *a = reinterpret_cast<const unsigned char *>(m_folded.constData());
            qsizetype i = 0;
            while (i < s.size() && m_fold[static_cast<unsigned char>(s.begin[i])] == a[i])
                ++i;
            if (i == s.size())
                return true;
        }
        return !m_unicode.isNull() && hasHighBytes(s.begin, s.end)
               && QString::fromUtf8(s.begin, s.size()).compare(m_unicode, Qt::CaseInsensitive) == 0;
    }

private:
    const FoldTable &m_fold;
    QByteArray m_text;
    QByteArray m_folded;
    QString m_unicode;
};

bool startsWithBom(const QByteArray &content)
{
    return content.startsWith(QByteArrayView(Bom, BomLength));
}

// Length of the first MaxValueLength characters of `s`; in UTF-8 counted as
// UTF-16 units, never splitting a character.
qsizetype cutLength(Span s, bool utf8)
{
    if (!utf8)
        return qMin(s.size(), MaxValueLength);
    qsizetype units = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s.begin[i]);
        if ((b & 0xC0) == 0x80)
            continue;
        units += b >= 0xF0 ? 2 : 1;
        if (units > MaxValueLength)
            return i;
    }
    return s.size();
}

} // namespace

namespace ProfileFile {

std::optional<QByteArray> readValue(const QByteArray &content, const QByteArray &section,
                                    const QByteArray &key)
{
    const bool utf8 = startsWithBom(content);
    const Name wantedSection(section, utf8);
    const Name wantedKey(key, utf8);
    const char *begin = content.constData() + (utf8 ? BomLength : 0);
    Lines lines(begin, content.constData() + content.size());
    Line line;
    bool inSection = false;
    while (lines.next(line)) {
        if (line.kind == Line::Header) {
            // Only the first section of a name counts.
            if (inSection)
                return std::nullopt;
            inSection = wantedSection.matches(line.name);
        } else if (inSection && line.kind == Line::Key && wantedKey.matches(line.name)) {
            Span v = line.value;
            if (v.size() >= 2 && (*v.begin == '"' || *v.begin == '\'') && v.end[-1] == *v.begin) {
                ++v.begin;
                --v.end;
            }
            return QByteArray(v.begin, cutLength(v, utf8));
        }
    }
    return std::nullopt;
}

QByteArray writeValue(const QByteArray &content, const QByteArray &section,
                      const QByteArray &key, const QByteArray &value)
{
    const bool utf8 = startsWithBom(content);
    const Name wantedSection(section, utf8);
    const Name wantedKey(key, utf8);
    const QByteArray newValue = oneLine(value);
    const QByteArray entry = wantedKey.text() + '=' + newValue;
    const char *base = content.constData();
    const char *begin = base + (utf8 ? BomLength : 0);
    const char *end = base + content.size();

    Lines lines(begin, end);
    Line line;
    bool found = false;
    Line anchor; // the header or the last key line of the section
    while (lines.next(line)) {
        if (line.kind == Line::Header) {
            if (found)
                break;
            if (wantedSection.matches(line.name)) {
                found = true;
                anchor = line;
            }
        } else if (found && line.kind == Line::Key) {
            if (wantedKey.matches(line.name)) {
                // Keep the key as spelled in the file, and the line end.
                QByteArray out;
                out.reserve(content.size() + entry.size());
                out.append(base, line.begin - base);
                out.append(line.name.begin, line.name.size());
                out.append('=');
                out.append(newValue);
                out.append(line.end, end - line.end);
                return out;
            }
            anchor = line;
        }
    }

    QByteArray out;
    out.reserve(content.size() + entry.size() + wantedSection.text().size() + 8);
    if (found) {
        const bool ended = anchor.next > anchor.end;
        out.append(base, anchor.next - base);
        if (!ended)
            out.append("\r\n");
        out.append(entry);
        out.append("\r\n");
        out.append(anchor.next, end - anchor.next);
        return out;
    }
    out.append(content);
    if (end > begin && end[-1] != '\n' && end[-1] != '\r')
        out.append("\r\n");
    out.append('[');
    out.append(wantedSection.text());
    out.append("]\r\n");
    out.append(entry);
    out.append("\r\n");
    return out;
}

} // namespace ProfileFile
