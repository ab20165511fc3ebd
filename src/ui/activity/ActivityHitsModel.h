#pragma once

#include "logging/ActivityHit.h"

#include <QAbstractTableModel>
#include <QList>

/// The hits of a day as a table: time, log, channel or talkgroup, frequency, name, mode, duration, note.
/// Qt::UserRole holds what a column sorts by (seconds, numbers as numbers).
class ActivityHitsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Log, Channel, Frequency, Name, Mode, Duration, Note, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setHits(const QList<ActivityHit>& hits);
    void appendHit(const ActivityHit& hit);

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_hits.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// What a column holds, for its header's tooltip.
    static QString columnTip(int section);

private:
    QString text(const ActivityHit& hit, int column) const;

    QList<ActivityHit> m_hits;
};
