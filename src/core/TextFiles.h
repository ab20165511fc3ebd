#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

/**
 * Text files the program reads back (day logs, licence files, CSV files): decoded the way they are
 * written, and read line by line in pieces of bounded size, so neither a whole file nor a line
 * without end is ever held in memory.
 */
namespace TextFiles {

/// UTF-8 when the bytes are valid UTF-8, otherwise the Windows code page (1252) older files use.
QString decode(QByteArrayView bytes);

/**
 * The lines of a device, LF or CR LF ended (the last one may have no end). A line longer than the
 * limit is never held: it is skipped to its end and reported as TooLong, and reading goes on.
 */
class LineReader {
public:
    /// A line past this is no line of any file the program reads.
    static constexpr qsizetype kMaxLineBytes = 64 * 1024;

    enum class Status { Line, TooLong, End };

    explicit LineReader(QIODevice& device, qsizetype maxLineBytes = kMaxLineBytes);

    /**
     * The next line, without its LF or CR LF, in *line: valid until the next call. TooLong leaves
     * *line empty; End comes once every line has been read (or the device fails to read).
     */
    Status next(QByteArrayView* line);
    /// The 1-based number of the line next() returned last.
    qint64 lineNumber() const { return m_lineNumber; }

private:
    bool fill();

    QIODevice& m_device;
    qsizetype m_maxLineBytes;
    QByteArray m_buffer;
    qsizetype m_pos = 0;     // where the next line starts in m_buffer
    qsizetype m_scanned = 0; // m_buffer holds no LF between m_pos and here
    qint64 m_lineNumber = 0;
    bool m_atEnd = false;
};

} // namespace TextFiles
