#pragma once

#include "audio/Recordings.h"
#include "logging/ActivityHit.h"

#include <QAbstractTableModel>
#include <QList>

/// The hits of a day as a table: time, log, channel or talkgroup, frequency, name, mode, duration, note.
/// Qt::UserRole holds what a column sorts by (seconds, numbers as numbers). The last column shows which hits
/// have a recording.
class ActivityHitsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Log, Channel, Frequency, Name, Mode, Duration, Note, Recorded, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setHits(const QList<ActivityHit>& hits);
    void appendHit(const ActivityHit& hit);
    /// The recordings of the day shown; each hit is linked to its own, if it has one.
    void setRecordings(const QList<Recording>& recordings);
    /// The recording of the hit in this row, or null.
    const Recording* recordingAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_hits.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// What a column holds, for its header's tooltip.
    static QString columnTip(int section);

private:
    QString text(const ActivityHit& hit, int column) const;

    QList<ActivityHit> m_hits;
    QList<Recording> m_recordings;
    /// Per hit: its position in m_recordings, or -1.
    QList<int> m_recordingOf;
};
