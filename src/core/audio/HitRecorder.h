#pragma once

#include "OpusFileWriter.h"
#include "Recordings.h"
#include "monitor/Reading.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

/**
 * Writes one Ogg Opus file per hit from the captured audio: from the hit's start, with the half
 * second before it (the poll sees the squelch open a little late), to its end plus a hang time. A
 * hit that starts again on the same channel, talkgroup or frequency within the hang time continues
 * the same file. Hits shorter than the minimum length are squelch blips: their file is deleted.
 * Each kept file gets a row in the recordings index.
 *
 * In VOX mode the audio level alone starts and ends a recording (for when the scanner's signal is
 * not polled); the hits then only name the file.
 *
 * A disk without room stops recording with a status line: the file being written is removed and no
 * new one starts while less than the reserve is free, so the logs and the database keep their room.
 * Recording starts again by itself at the next hit once there is room.
 */
class HitRecorder : public QObject {
    Q_OBJECT

public:
    HitRecorder(Recordings& recordings, int sampleRate, QObject* parent = nullptr);
    ~HitRecorder() override;

    void setMinimumMs(int ms) { m_minimumMs = ms; }
    void setHangMs(int ms) { m_hangMs = ms; }
    void setPreRollMs(int ms);
    void setVox(bool on) { m_vox = on; }
    /// The peak level (0 to 1) that counts as a voice in VOX mode.
    void setVoxThreshold(double level) { m_voxThreshold = level; }
    /// Free bytes the disk must keep beyond the recordings.
    void setReserveBytes(qint64 bytes) { m_reserveBytes = bytes; }
    /// Off: no new file starts (the one being written is finished).
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    bool isRecording() const { return m_writer != nullptr; }
    /// The file being written, relative to the data folder; empty when none.
    QString currentFile() const { return m_current.file; }
    /// True while recording is stopped for want of disk space.
    bool isDiskFull() const { return m_diskFull; }

    /// Captured audio: mono signed 16-bit samples.
    void onSamples(const QByteArray& pcm);
    void onHitStarted(const Hit& hit);
    void onHitEnded(const Hit& hit);
    /// What the scanner shows now; names a VOX recording.
    void onReading(const Reading& reading) { m_reading = reading; }

Q_SIGNALS:
    /// A file was created and its first bytes written.
    void recordingStarted(const QString& file);
    /// A file was finished and indexed.
    void recorded(const Recording& recording);
    /// A file was deleted because its hit was shorter than the minimum length.
    void blipDropped(const QString& file);
    void statusLine(const QString& text);

private:
    void begin(const Hit& hit);
    void finish();
    void writeSamples(const qint16* pcm, int count);
    void onVoxLevel(const qint16* pcm, int count);
    bool roomToRecord();
    void stopForDisk(const QString& why);
    static bool sameSource(const Reading& a, const Reading& b);

    Recordings& m_recordings;
    int m_rate;
    int m_minimumMs = 1000;
    int m_hangMs = 500;
    bool m_vox = false;
    double m_voxThreshold = 0.05;
    qint64 m_reserveBytes = 16 * 1024 * 1024;
    bool m_enabled = true;
    bool m_diskFull = false;

    std::vector<qint16> m_ring;
    size_t m_ringHead = 0;
    size_t m_ringFill = 0;
    /// Samples heard since the last file ended: a pre-roll never repeats audio already in a file.
    qint64 m_sinceFile = 0;

    std::unique_ptr<OpusFileWriter> m_writer;
    Recording m_current;
    Hit m_hit;
    bool m_hitOpen = false;
    qint64 m_preRollSamples = 0;
    qint64 m_voxQuietSamples = 0;
    QTimer m_hang;
    Reading m_reading;
};
