#pragma once

#include "logging/ActivityHit.h"
#include "monitor/Reading.h"

#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>
#include <optional>

class LocalDatabase;
class QFile;

/// One recorded hit as the index keeps it.
struct Recording {
    QString file;          ///< below the data folder: "RECORDINGS/2026-12-07/140312-154.2500.opus"
    QDateTime start;       ///< when the hit started (local time)
    qint64 durationMs = 0; ///< the length of the audio in the file
    qint64 frequencyHz = 0;
    int channel = 0;
    int bank = 0;
    QString talkgroup;
    QString channelName;
    QString talkgroupName;
    QString mode; ///< the mode name shown ("SCAN", "TRUNK HOLD", ...)
    qint64 bytes = 0;

    /// file, start, duration_ms, frequency_hz, channel, bank, talkgroup, channel_name, talkgroup_name, mode, bytes.
    QJsonObject toJson() const;
};

Q_DECLARE_METATYPE(Recording)

/**
 * The recordings below a data folder and their index table (RECORDINGS in the local database).
 * This is what windows, valdoria-cli and the web view read; only the recorder and the retention
 * add or remove rows.
 */
class Recordings {
public:
    Recordings(const QString& dataFolder, LocalDatabase& database);

    /// "RECORDINGS" below the data folder.
    QString folder() const;
    QString dataFolder() const { return m_dataFolder; }

    /// The recordings of one day, oldest first; empty when none or when the index cannot be read.
    QList<Recording> forDay(const QDate& day) const;
    /// Every recording, oldest first.
    QList<Recording> all() const;
    /// The days that have recordings, oldest first.
    QList<QDate> days() const;

    /// The full path of a recording's file, or empty when the name would leave the recordings folder.
    QString absolutePath(const Recording& recording) const;
    /// The file of a recording opened for reading, or null when it is gone or not below RECORDINGS.
    std::unique_ptr<QFile> open(const Recording& recording) const;

    /// Adds the row of a finished recording.
    bool add(const Recording& recording);
    /// Deletes a recording's file and its row.
    bool remove(const Recording& recording);

    /// The file name for a hit: "HHMMSS-<talkgroup, channel or frequency>.opus" in the day's folder,
    /// relative to the data folder, with "-2", "-3" ... when the name is taken.
    QString fileNameFor(const Hit& hit) const;
    /// The stream title and the file's TITLE: "County fire dispatch - 154.2500", or the frequency alone.
    static QString titleFor(const Reading& reading);
    /// "154.2500" (MHz, four decimals); empty for 0.
    static QString frequencyText(qint64 hz);
    /// The position in day (one day's recordings) of the recording of a day-log hit, or -1: the same
    /// channel, frequency or talkgroup, and the log line written while the recording ran (or within
    /// a few seconds of it).
    static int indexForHit(const QList<Recording>& day, const ActivityHit& hit);

private:
    QList<Recording> query(const QString& where, const QVariantList& values) const;

    QString m_dataFolder;
    LocalDatabase& m_db;
};
