#include "TextFiles.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace TextFiles {

namespace {

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); its five unused codes read as U+FFFD.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Read from the device this much at a time.
constexpr qint64 kChunkBytes = 64 * 1024;

} // namespace

QString decode(QByteArrayView bytes) {
    // Nearly every line is plain ASCII.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        text[i] = c >= 0x80 && c < 0xA0 ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    }
    return text;
}

LineReader::LineReader(QIODevice& device, qsizetype maxLineBytes)
    : m_device(device)
    , m_maxLineBytes(maxLineBytes) {}

bool LineReader::fill() {
    if (m_atEnd)
        return false;
    // What was handed out already goes first, so the buffer holds at most one line and one piece.
    m_buffer.remove(0, m_pos);
    m_scanned -= m_pos;
    m_pos = 0;
    const qsizetype had = m_buffer.size();
    m_buffer.resize(had + kChunkBytes);
    const qint64 got = m_device.read(m_buffer.data() + had, kChunkBytes);
    m_buffer.resize(had + std::max<qint64>(got, 0));
    if (got <= 0)
        m_atEnd = true;
    return got > 0;
}

LineReader::Status LineReader::next(QByteArrayView* line) {
    *line = {};
    bool tooLong = false;
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_scanned);
        if (end >= 0) {
            ++m_lineNumber;
            const qsizetype start = m_pos;
            m_pos = m_scanned = end + 1;
            if (tooLong || end - start > m_maxLineBytes)
                return Status::TooLong;
            qsizetype length = end - start;
            if (length > 0 && m_buffer.at(end - 1) == '\r')
                --length;
            *line = QByteArrayView(m_buffer.constData() + start, length);
            return Status::Line;
        }
        m_scanned = m_buffer.size();
        if (m_scanned - m_pos > m_maxLineBytes) {
            // Too long already: its bytes are dropped as they come, up to its end.
            tooLong = true;
            m_buffer.clear();
            m_pos = m_scanned = 0;
        }
        if (fill())
            continue;
        if (m_pos < m_buffer.size() || tooLong) {
            // The last line has no end.
            ++m_lineNumber;
            const qsizetype start = m_pos;
            m_pos = m_scanned = m_buffer.size();
            qsizetype length = m_buffer.size() - start;
            if (tooLong || length > m_maxLineBytes)
                return Status::TooLong;
            if (m_buffer.endsWith('\r'))
                --length;
            *line = QByteArrayView(m_buffer.constData() + start, length);
            return Status::Line;
        }
        return Status::End;
    }
}

} // namespace TextFiles
