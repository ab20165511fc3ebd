#include "activity/ActivityHitsModel.h"

#include "activity/ActivityChartWidget.h"

void ActivityHitsModel::setHits(const QList<ActivityHit>& hits) {
    beginResetModel();
    m_hits = hits;
    m_recordingOf.clear();
    for (const ActivityHit& hit : m_hits)
        m_recordingOf.append(Recordings::indexForHit(m_recordings, hit));
    endResetModel();
}

void ActivityHitsModel::appendHit(const ActivityHit& hit) {
    const int row = int(m_hits.size());
    beginInsertRows({}, row, row);
    m_hits.append(hit);
    m_recordingOf.append(Recordings::indexForHit(m_recordings, hit));
    endInsertRows();
}

void ActivityHitsModel::setRecordings(const QList<Recording>& recordings) {
    m_recordings = recordings;
    for (int row = 0; row < m_hits.size(); ++row)
        m_recordingOf[row] = Recordings::indexForHit(m_recordings, m_hits.at(row));
    if (!m_hits.isEmpty())
        Q_EMIT dataChanged(index(0, Recorded), index(int(m_hits.size()) - 1, Recorded));
}

const Recording* ActivityHitsModel::recordingAt(int row) const {
    if (row < 0 || row >= m_recordingOf.size() || m_recordingOf.at(row) < 0)
        return nullptr;
    return &m_recordings.at(m_recordingOf.at(row));
}

QString ActivityHitsModel::text(const ActivityHit& hit, int column) const {
    switch (column) {
    case Time:
        return ActivityHit::timeText(hit.seconds);
    case Log:
        return ActivityHit::title(hit.log);
    case Channel:
        return hit.log == ActivityLogKind::Search ? QString() : hit.key;
    case Frequency:
        return hit.log == ActivityLogKind::Search ? hit.key : hit.frequency;
    case Name:
        return hit.name;
    case Mode:
        return hit.mode;
    case Duration:
        return hit.duration < 0 ? QString() : QString::number(hit.duration, 'f', 1);
    case Note:
        return hit.detail;
    default:
        return {};
    }
}

QVariant ActivityHitsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_hits.size())
        return {};
    const ActivityHit& hit = m_hits.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == Recorded) {
            const Recording* r = recordingAt(index.row());
            return r ? QStringLiteral("\u25B6 %1 s").arg(r->durationMs / 1000.0, 0, 'f', 1) : QString();
        }
        return text(hit, index.column());
    case Qt::ToolTipRole: {
        const Recording* r = index.column() == Recorded ? recordingAt(index.row()) : nullptr;
        return r ? tr("Double-click to play %1").arg(r->file) : QVariant();
    }
    case Qt::DecorationRole:
        return index.column() == Log ? QVariant(ActivityChartWidget::colour(hit.log)) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Duration ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::UserRole: {
        if (index.column() == Time)
            return hit.seconds;
        if (index.column() == Duration)
            return hit.duration;
        const QString shown = text(hit, index.column());
        bool number = false;
        const double value = shown.toDouble(&number);
        // Channel numbers and frequencies sort as numbers; words after them, as words.
        if (index.column() == Channel || index.column() == Frequency)
            return number ? QString::asprintf("0%020.6f", value) : QStringLiteral("1") + shown;
        return shown.toLower();
    }
    default:
        return {};
    }
}

QVariant ActivityHitsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
        return columnTip(section);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Time:
        return tr("Time");
    case Log:
        return tr("Log");
    case Channel:
        return tr("Channel / talkgroup");
    case Frequency:
        return tr("Frequency");
    case Name:
        return tr("Name");
    case Mode:
        return tr("Mode");
    case Duration:
        return tr("Duration (s)");
    case Note:
        return tr("Note");
    case Recorded:
        return tr("Recording");
    default:
        return {};
    }
}

QString ActivityHitsModel::columnTip(int section) {
    switch (section) {
    case Time:
        return tr("When the log line was written");
    case Log:
        return tr("Which log heard it: scan (memory channels), search or trunk (talkgroups)");
    case Channel:
        return tr("The memory channel of a scan stop, or the talkgroup ID of a trunked call");
    case Frequency:
        return tr("The frequency in MHz");
    case Name:
        return tr("The names the channel or talkgroup has in the database (alpha tags)");
    case Mode:
        return tr("The modulation the scanner reported (FM, AM, NFM ...)");
    case Duration:
        return tr("Seconds the search rested on the frequency");
    case Note:
        return tr("NORMAL when the signal went, FORCED when the search hold ran out");
    case Recorded:
        return tr("The length of the hit's audio recording; double-click the row to play it");
    default:
        return {};
    }
}
