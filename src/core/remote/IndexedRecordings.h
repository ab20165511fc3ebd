#pragma once

#include "RecordingLibrary.h"

class Recordings;

/**
 * The recorder's index as the phone view sees it: a recording's id is its day and file name
 * ("2026-12-07_140312-CH005.opus"), so a URL never carries a path.
 */
class IndexedRecordings : public RecordingLibrary {
public:
    explicit IndexedRecordings(const Recordings& recordings)
        : m_recordings(recordings) {}

    QList<Recording> recordingsOn(const QDate& day) const override;
    QString filePath(const QString& id) const override;

private:
    const Recordings& m_recordings;
};
