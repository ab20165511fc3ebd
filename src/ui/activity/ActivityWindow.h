#pragma once

#include "logging/ActivityDay.h"
#include "logging/ActivitySummary.h"
#include "monitor/Reading.h"

#include <QDate>
#include <QFutureWatcher>
#include <QPointer>
#include <QWidget>

class ActivityChartWidget;
class ActivityHitsModel;
class HitRecorder;
class Monitor;
class RecordingPlayer;
class Recordings;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;
class QTabWidget;

/**
 * Activity at a glance: the scan, search and trunk logs of one day as hits per hour, the busiest
 * channels, frequencies and talkgroups, and every hit in time order (filter and sort). The day is
 * read on a worker thread. While the window is open, each transmission the monitor heard on the day
 * shown appears as it ends (its hit), from the monitor's reading; reading the day again shows what
 * the logs hold. Hits with a recording say so, and a double-click plays it in the player below the list.
 */
class ActivityWindow : public QWidget {
    Q_OBJECT

public:
    ActivityWindow(const QString& appFolder, const QDate& day, QWidget* parent = nullptr);
    ~ActivityWindow() override;

    /// Shows the hits the monitor makes on the day shown as they end.
    void follow(Monitor& monitor);
    /// The row a hit makes: the log it belongs to by its mode, the channel, search frequency or
    /// talkgroup, the frequency, names and modulation, and its length.
    static ActivityHit rowFor(const Hit& hit);
    void showDay(const QDate& day);
    /// Links the hits to their recordings (and to those made while the window is open).
    void showRecordings(Recordings& recordings, HitRecorder* live = nullptr);

    QDate day() const { return m_day; }
    const ActivitySummary& summary() const { return m_summary; }

Q_SIGNALS:
    /// The day asked for is on screen.
    void dayShown(const QDate& day);

private:
    void onDayRead();
    void onHitEnded(const Hit& hit);
    void onFilterChanged(const QString& text);
    void refresh();
    void fillBusiest(QTableWidget* table, ActivityLogKind log);
    void updateCounts();
    void reloadRecordings();
    void playRow(const QModelIndex& viewIndex);
    void playNext();
    /// The view row of the next hit after view row from that has a recording, or -1.
    int nextRecordedRow(int from) const;

    QString m_appFolder;
    QDate m_day;
    ActivitySummary m_summary;
    int m_unreadable = 0;
    QStringList m_problems;
    /// A line came in while the day was being read: read it again once that is done.
    bool m_readAgain = false;
    /// Hits that ended while the day was being read: added once it is in.
    QList<ActivityHit> m_pending;
    QFutureWatcher<ActivityDay> m_reader;

    QDateEdit* m_date = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QLabel* m_totals = nullptr;
    QLabel* m_unreadableLabel = nullptr;
    ActivityChartWidget* m_chart = nullptr;
    QTabWidget* m_busiestTabs = nullptr;
    QTableWidget* m_busiest[ActivityHit::kLogCount] = {};
    ActivityHitsModel* m_hits = nullptr;
    QSortFilterProxyModel* m_filtered = nullptr;
    QLineEdit* m_filter = nullptr;
    QLabel* m_shown = nullptr;
    QTableView* m_hitsView = nullptr;
    Recordings* m_recordings = nullptr;
    RecordingPlayer* m_player = nullptr;
    /// The hit (model row) whose recording is playing; -1 when none.
    int m_playingRow = -1;
};
