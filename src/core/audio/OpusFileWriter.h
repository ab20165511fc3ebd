#pragma once

#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

struct OggOpusEnc;

/**
 * One Ogg Opus file written as the audio arrives (mono speech, about 20 kbit/s). The tags are given
 * when the file opens; DURATION is written last, into the room the header keeps for it, once the
 * length is known.
 *
 * A write the disk refuses (full, removed) fails the file: failed() turns true, errorText() says why,
 * and nothing more is written.
 */
class OpusFileWriter {
public:
    using Tags = QList<QPair<QString, QString>>;

    OpusFileWriter() = default;
    ~OpusFileWriter();
    OpusFileWriter(const OpusFileWriter&) = delete;
    OpusFileWriter& operator=(const OpusFileWriter&) = delete;

    /// Creates the file and writes its headers at once. False with errorText() when it cannot.
    bool open(const QString& path, int sampleRate, const Tags& tags);
    bool isOpen() const { return m_encoder != nullptr; }
    /// Encodes mono 16-bit samples; false once the file has failed.
    bool write(const qint16* pcm, int count);
    /// Writes what is left, closes the file and sets its DURATION tag. False when the file failed.
    bool finish();
    /// Closes and deletes the file (a blip, or a file the disk could not hold).
    void discard();

    bool failed() const { return m_failed; }
    QString errorText() const { return m_error; }
    QString path() const { return m_file.fileName(); }
    qint64 sampleCount() const { return m_samples; }
    qint64 durationMs() const { return m_rate > 0 ? m_samples * 1000 / m_rate : 0; }
    /// Bytes that have reached the file so far.
    qint64 bytesWritten() const { return m_bytes; }

    /// Rewrites the DURATION comment of a closed file's header in place (the header's padding gives
    /// it room). False when the file does not have the expected header.
    static bool setDurationTag(const QString& path, const QString& value);

private:
    static int onWrite(void* self, const unsigned char* data, int length);
    static int onClose(void* self);
    void fail(const QString& why);
    void destroyEncoder();

    OggOpusEnc* m_encoder = nullptr;
    QFile m_file;
    int m_rate = 0;
    qint64 m_samples = 0;
    qint64 m_bytes = 0;
    bool m_failed = false;
    QString m_error;
};
