#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

class QSqlDatabase;
class TransmitterDatabase;

/**
 * Loads the public licence database's weekly files (pipe-delimited records; HD licence header, EN
 * entity, FR frequency, LO location; fields by position, trailing fields ignored) into SPECTRUM1 and
 * RS_CODES. Every file is read before anything is written, since the records of one licence are spread
 * over several files; then each file's frequencies are written in one transaction: one SPECTRUM1 row per
 * frequency of an active licence, placed at its location, named by its licensee. A licence's rows are
 * replaced as a whole, so importing the same files twice leaves the same rows. Malformed lines (among
 * them frequencies that are not finite or not above 0 and at most 300,000 MHz, and lines over 64 KiB)
 * are counted, never fatal. Files are read as a stream, never held whole.
 */
class UlsImport {
public:
    struct FileReport {
        QString file;
        qint64 lines = 0;
        qint64 malformed = 0;
        qint64 firstMalformedLine = 0; ///< 1-based; 0 when none
        int licences = 0;              ///< licences whose rows this file replaced
        int rows = 0;                  ///< SPECTRUM1 rows written
        bool ok = true;
        QString error; ///< why the file could not be read or written
    };

    explicit UlsImport(TransmitterDatabase& db);

    /// Called every few thousand lines while reading, and once per file while writing.
    void setProgress(std::function<void(const QString& text)> progress) { m_progress = std::move(progress); }
    /// Imports the files; one report per file, in order. Stops at the first file that cannot be written.
    QList<FileReport> run(const QStringList& files);
    /// The description the import gives a radio service code in RS_CODES ("PW Public Safety Pool, Conventional").
    static QString serviceEntry(const QString& code);

private:
    struct Licence {
        QString callsign;
        QString service;
        bool active = false;
    };
    struct Location {
        QString city;
        QString county;
        QString state;
    };
    struct Frequency {
        qint64 licence;
        int location; ///< -1 when the record names none
        double mhz;
        QString callsign;
    };

    bool readFile(const QString& path, FileReport& report, QList<Frequency>& frequencies, QSet<qint64>& ended);
    bool parseLine(const QStringList& fields, QList<Frequency>& frequencies, QSet<qint64>& ended);
    bool writeFile(const QList<Frequency>& frequencies, const QSet<qint64>& ended, FileReport& report);
    bool runChunked(QSqlDatabase& db, const QString& pattern, const QString& group, int perGroup,
                    const QVariantList& values, FileReport& report);
    void say(const QString& text) const;

    /// Rows (or licence numbers) one statement carries; 100 rows of 8 values stay under every engine's limit.
    static constexpr int kGroupsPerStatement = 100;

    TransmitterDatabase& m_db;
    std::function<void(const QString&)> m_progress;
    QHash<qint64, Licence> m_licences;
    QHash<qint64, QString> m_names;
    QSet<qint64> m_namedByLicensee;
    QHash<QPair<qint64, int>, Location> m_locations;
    QHash<qint64, int> m_firstLocation;
};
