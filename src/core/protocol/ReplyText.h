#pragma once

#include <QString>

/**
 * A reply line read by 1-based character positions, the way the scanner's reply layouts are
 * written down ("positions 7-10 are the whole megahertz"). Reading never fails: a position
 * beyond the end of the line, or before its start, reads as empty text.
 */
class ReplyText {
public:
    explicit ReplyText(const QString& line)
        : m_line(line) {}

    const QString& text() const { return m_line; }
    int length() const { return int(m_line.size()); }

    /// count characters from position pos; what lies beyond the end is left off.
    QString mid(int pos, int count) const {
        if (pos < 1 || count <= 0 || pos > length())
            return QString();
        return m_line.mid(pos - 1, count);
    }
    /// Positions from pos to the end of the line.
    QString from(int pos) const {
        if (pos < 1 || pos > length())
            return QString();
        return m_line.mid(pos - 1);
    }
    /// The one character at pos, or empty text.
    QString at(int pos) const { return mid(pos, 1); }
    /// True when the character at pos exists and equals c.
    bool is(int pos, char c) const { return pos >= 1 && pos <= length() && m_line.at(pos - 1) == QLatin1Char(c); }
    /// The character code at pos, or -1 when the line is shorter.
    int code(int pos) const { return pos >= 1 && pos <= length() ? m_line.at(pos - 1).unicode() : -1; }
    bool startsWith(const char* prefix) const { return m_line.startsWith(QLatin1String(prefix)); }

private:
    QString m_line;
};
