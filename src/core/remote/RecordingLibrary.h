#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

/**
 * The recordings the phone view can list and play. The recorder's index implements it; until one is
 * given, the web server lists no recordings and serves none.
 */
class RecordingLibrary {
public:
    struct Recording {
        /// Names the recording in URLs (/recordings/ID): letters, digits, '-', '_' and '.' only.
        QString id;
        QDateTime start;
        qint64 durationMs = 0;
        /// What was heard, as the hit list names it ("CH 5 460.1250 City police dispatch").
        QString label;
    };

    virtual ~RecordingLibrary() = default;
    /// The recordings that started on day, in any order.
    virtual QList<Recording> recordingsOn(const QDate& day) const = 0;
    /// The audio file of a recording listed by recordingsOn(); empty for an id it does not know.
    virtual QString filePath(const QString& id) const = 0;
};
