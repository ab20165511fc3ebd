#include "activity/ActivityWindow.h"

#include "activity/ActivityChartWidget.h"
#include "activity/ActivityHitsModel.h"
#include "audio/HitRecorder.h"
#include "audio/RecordingPlayer.h"
#include "audio/Recordings.h"
#include "monitor/Monitor.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr ActivityLogKind kLogs[] = {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk};

// The busiest list of each log: its tab, and what its key and detail columns hold.
struct BusiestList {
    const char* tab;
    const char* key;
    const char* detail;
    const char* keyTip;
    const char* detailTip;
};
const BusiestList kBusiestLists[] = {
    {QT_TRANSLATE_NOOP("ActivityWindow", "Channels"), QT_TRANSLATE_NOOP("ActivityWindow", "Channel"),
     QT_TRANSLATE_NOOP("ActivityWindow", "Frequency"),
     QT_TRANSLATE_NOOP("ActivityWindow", "The memory channel the scan stopped on"),
     QT_TRANSLATE_NOOP("ActivityWindow", "The channel's frequency in MHz")},
    {QT_TRANSLATE_NOOP("ActivityWindow", "Frequencies"), QT_TRANSLATE_NOOP("ActivityWindow", "Frequency"),
     QT_TRANSLATE_NOOP("ActivityWindow", "Last"),
     QT_TRANSLATE_NOOP("ActivityWindow", "The frequency the search stopped on, in MHz"),
     QT_TRANSLATE_NOOP("ActivityWindow",
                       "How the last stop ended: NORMAL when the signal went, FORCED when the hold ran out")},
    {QT_TRANSLATE_NOOP("ActivityWindow", "Talkgroups"), QT_TRANSLATE_NOOP("ActivityWindow", "Talkgroup"),
     QT_TRANSLATE_NOOP("ActivityWindow", "Trunk type"),
     QT_TRANSLATE_NOOP("ActivityWindow", "The talkgroup ID the trunk tracking heard"),
     QT_TRANSLATE_NOOP("ActivityWindow", "The trunked system type of the bank")},
};

QTableWidgetItem* numberItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

ActivityWindow::ActivityWindow(const QString& appFolder, const QDate& day, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_appFolder(appFolder) {
    setObjectName(QStringLiteral("frmActivity"));
    setWindowTitle(tr("Activity"));
    resize(1120, 760);

    m_previous = new QPushButton(tr("< Previous day"), this);
    m_previous->setObjectName(QStringLiteral("btnPreviousDay"));
    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("dtDay"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("ddd d MMM yyyy"));
    m_next = new QPushButton(tr("Next day >"), this);
    m_next->setObjectName(QStringLiteral("btnNextDay"));
    auto* today = new QPushButton(tr("Today"), this);
    m_totals = new QLabel(this);
    m_totals->setObjectName(QStringLiteral("lblTotals"));
    m_unreadableLabel = new QLabel(this);
    m_unreadableLabel->setObjectName(QStringLiteral("lblUnreadable"));
    m_unreadableLabel->setStyleSheet(QStringLiteral("color: #b04000;"));
    auto* top = new QHBoxLayout;
    top->addWidget(m_previous);
    top->addWidget(m_date);
    top->addWidget(m_next);
    top->addWidget(today);
    top->addSpacing(16);
    top->addWidget(m_totals, 1);
    top->addWidget(m_unreadableLabel);

    m_chart = new ActivityChartWidget(this);

    m_busiestTabs = new QTabWidget(this);
    m_busiestTabs->setObjectName(QStringLiteral("tabBusiest"));
    for (const ActivityLogKind log : kLogs) {
        const BusiestList& list = kBusiestLists[int(log)];
        auto* table = new QTableWidget(0, 0, m_busiestTabs);
        table->setObjectName(QStringLiteral("tblBusiest") + ActivityHit::title(log));
        QStringList headers{tr("Hits"), tr(list.key), tr(list.detail)};
        headers << (log == ActivityLogKind::Search ? tr("Total time (s)") : tr("Name"));
        table->setColumnCount(int(headers.size()));
        table->setHorizontalHeaderLabels(headers);
        const QStringList tips{tr("How often it was heard on this day"), tr(list.keyTip), tr(list.detailTip),
                               log == ActivityLogKind::Search ? tr("Seconds the search rested on it in all")
                                                              : tr("The name the logs gave it")};
        for (int column = 0; column < tips.size(); ++column)
            table->horizontalHeaderItem(column)->setToolTip(tips.at(column));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
        table->horizontalHeader()->setStretchLastSection(true);
        m_busiest[int(log)] = table;
        // A click on one of the busiest shows its hits in the list.
        connect(table, &QTableWidget::cellClicked, this,
                [this, table](int row) { m_filter->setText(table->item(row, 1)->text()); });
        m_busiestTabs->addTab(table, tr(list.tab));
    }

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("tbFilter"));
    m_filter->setPlaceholderText(tr("Filter: text in any column (154.25, CITY PD, trunk ...)"));
    m_filter->setClearButtonEnabled(true);
    m_shown = new QLabel(this);
    m_hits = new ActivityHitsModel(this);
    m_filtered = new QSortFilterProxyModel(this);
    m_filtered->setSourceModel(m_hits);
    m_filtered->setFilterKeyColumn(-1);
    m_filtered->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_filtered->setSortRole(Qt::UserRole);
    m_hitsView = new QTableView(this);
    m_hitsView->setObjectName(QStringLiteral("tblHits"));
    m_hitsView->setModel(m_filtered);
    m_hitsView->setSortingEnabled(true);
    m_hitsView->sortByColumn(ActivityHitsModel::Time, Qt::AscendingOrder);
    m_hitsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_hitsView->verticalHeader()->hide();
    m_hitsView->verticalHeader()->setDefaultSectionSize(m_hitsView->fontMetrics().height() + 6);
    m_hitsView->horizontalHeader()->setStretchLastSection(true);
    m_hitsView->setColumnWidth(ActivityHitsModel::Name, 200);
    auto* hitsPanel = new QWidget(this);
    auto* hitsLayout = new QVBoxLayout(hitsPanel);
    hitsLayout->setContentsMargins(0, 0, 0, 0);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(m_shown);
    hitsLayout->addLayout(filterRow);
    hitsLayout->addWidget(m_hitsView);
    m_player = new RecordingPlayer(hitsPanel);
    hitsLayout->addWidget(m_player);
    connect(m_hitsView, &QTableView::doubleClicked, this, &ActivityWindow::playRow);
    connect(m_player, &RecordingPlayer::nextRequested, this, &ActivityWindow::playNext);

    // The chart beside the busiest lists; the hits across the whole width, so every column shows.
    auto* overview = new QSplitter(Qt::Horizontal, this);
    overview->addWidget(m_chart);
    overview->addWidget(m_busiestTabs);
    overview->setStretchFactor(0, 3);
    overview->setStretchFactor(1, 2);
    overview->setSizes({600, 500});
    auto* parts = new QSplitter(Qt::Vertical, this);
    parts->addWidget(overview);
    parts->addWidget(hitsPanel);
    parts->setStretchFactor(0, 1);
    parts->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(parts, 1);

    connect(m_previous, &QPushButton::clicked, this, [this] { m_date->setDate(m_day.addDays(-1)); });
    connect(m_next, &QPushButton::clicked, this, [this] { m_date->setDate(m_day.addDays(1)); });
    connect(today, &QPushButton::clicked, this, [this] { m_date->setDate(QDate::currentDate()); });
    connect(m_date, &QDateEdit::dateChanged, this, &ActivityWindow::showDay);
    connect(m_filter, &QLineEdit::textChanged, this, &ActivityWindow::onFilterChanged);
    connect(&m_reader, &QFutureWatcher<ActivityDay>::finished, this, &ActivityWindow::onDayRead);
    connect(m_filtered, &QAbstractItemModel::rowsInserted, this, &ActivityWindow::updateCounts);
    connect(m_filtered, &QAbstractItemModel::modelReset, this, &ActivityWindow::updateCounts);
    connect(m_filtered, &QAbstractItemModel::layoutChanged, this, &ActivityWindow::updateCounts);

    showDay(day);
}

ActivityWindow::~ActivityWindow() {
    // The reader owns nothing of the window; it is only waited for.
    m_reader.waitForFinished();
}

void ActivityWindow::follow(Monitor& monitor) {
    connect(&monitor, &Monitor::hitEnded, this, &ActivityWindow::onHitEnded);
}

ActivityHit ActivityWindow::rowFor(const Hit& hit) {
    const Reading& r = hit.reading;
    const QString mhz = r.frequencyHz > 0 ? QString::number(double(r.frequencyHz) / 1e6, 'f', 4) : QString();
    ActivityHit row;
    row.seconds = hit.start.time().msecsSinceStartOfDay() / 1000;
    row.mode = Reading::modulationText(r.modulation);
    row.duration = double(hit.durationMs) / 1000.0;
    if (Reading::isTrunkMode(r.mode)) {
        row.log = ActivityLogKind::Trunk;
        row.key = r.talkgroup;
        row.name = r.talkgroupName;
    } else if (r.mode >= ModeCode::Search && r.mode <= ModeCode::ServiceSearchHold) {
        row.log = ActivityLogKind::Search;
        row.key = mhz;
        row.detail = QStringLiteral("NORMAL");
    } else {
        row.log = ActivityLogKind::Scan;
        row.key = r.channel > 0 ? QString::number(r.channel) : mhz;
        row.frequency = mhz;
        row.name = r.channelName;
    }
    return row;
}

void ActivityWindow::showDay(const QDate& day) {
    if (!day.isValid())
        return;
    m_day = day;
    if (m_date->date() != day) {
        // setDate comes back here through dateChanged.
        m_date->setDate(day);
        return;
    }
    m_totals->setText(tr("Reading the logs of %1 ...").arg(QLocale().toString(day, QLocale::LongFormat)));
    m_readAgain = false;
    m_pending.clear();
    if (m_reader.isRunning()) {
        m_readAgain = true;
        return;
    }
    // A year of big logs reads while the window stays live.
    const QString folder = m_appFolder;
    m_reader.setFuture(QtConcurrent::run([folder, day] { return ActivityDay::read(folder, day); }));
}

void ActivityWindow::onDayRead() {
    const ActivityDay read = m_reader.result();
    if (m_readAgain || read.date() != m_day) {
        m_readAgain = false;
        const QString folder = m_appFolder;
        const QDate day = m_day;
        m_reader.setFuture(QtConcurrent::run([folder, day] { return ActivityDay::read(folder, day); }));
        return;
    }
    m_summary = ActivitySummary(read);
    m_unreadable = read.unreadableLines();
    m_problems = read.problems();
    m_hits->setHits(read.hits());
    for (const ActivityHit& row : std::as_const(m_pending)) {
        m_summary.add(row);
        m_hits->appendHit(row);
    }
    m_pending.clear();
    m_playingRow = -1;
    reloadRecordings();
    refresh();
    m_hitsView->resizeColumnsToContents();
    Q_EMIT dayShown(m_day);
}

void ActivityWindow::onHitEnded(const Hit& hit) {
    if (hit.start.date() != m_day)
        return;
    if (m_reader.isRunning()) {
        // The day is still being read: the hit is added once it is in.
        m_pending.append(rowFor(hit));
        return;
    }
    const ActivityHit row = rowFor(hit);
    m_summary.add(row);
    m_hits->appendHit(row);
    refresh();
}

void ActivityWindow::onFilterChanged(const QString& text) {
    m_filtered->setFilterFixedString(text);
    updateCounts();
}

void ActivityWindow::refresh() {
    const QString dayText = QLocale().toString(m_day, QLocale::LongFormat);
    m_chart->setEmptyText(tr("No hits on %1").arg(dayText));
    m_chart->setSummary(m_summary);
    if (m_summary.hits() == 0)
        m_totals->setText(tr("No hits logged on this day."));
    else
        m_totals->setText(tr("%1 hits: scan %2, search %3, trunk %4")
                              .arg(m_summary.hits())
                              .arg(m_summary.hits(ActivityLogKind::Scan))
                              .arg(m_summary.hits(ActivityLogKind::Search))
                              .arg(m_summary.hits(ActivityLogKind::Trunk)));
    QStringList trouble;
    if (m_unreadable > 0)
        trouble << ActivityDay::unreadableText(m_unreadable);
    trouble << m_problems;
    m_unreadableLabel->setText(trouble.join(QStringLiteral("; ")));
    m_unreadableLabel->setVisible(!trouble.isEmpty());
    for (const ActivityLogKind log : kLogs) {
        fillBusiest(m_busiest[int(log)], log);
        // What the tab counts: "Channels: 4 (21 hits)".
        const int hits = m_summary.hits(log);
        m_busiestTabs->setTabText(int(log), tr("%1: %2 (%3)")
                                                .arg(tr(kBusiestLists[int(log)].tab))
                                                .arg(m_summary.distinct(log))
                                                .arg(hits == 1 ? tr("1 hit") : tr("%1 hits").arg(hits)));
    }
    updateCounts();
}

void ActivityWindow::fillBusiest(QTableWidget* table, ActivityLogKind log) {
    const QList<ActivitySummary::Entry> entries = m_summary.busiest(log);
    table->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const ActivitySummary::Entry& entry = entries.at(row);
        table->setItem(row, 0, numberItem(QString::number(entry.hits)));
        table->setItem(row, 1, new QTableWidgetItem(entry.key));
        table->setItem(row, 2, new QTableWidgetItem(entry.detail));
        table->setItem(row, 3,
                       log == ActivityLogKind::Search ? numberItem(QString::number(entry.duration, 'f', 1))
                                                      : new QTableWidgetItem(entry.name));
    }
    table->resizeColumnsToContents();
}

void ActivityWindow::updateCounts() {
    const int all = m_hits->rowCount();
    const int shown = m_filtered->rowCount();
    m_shown->setText(shown == all ? (all == 1 ? tr("1 hit") : tr("%1 hits").arg(all))
                                  : tr("%1 of %2 hits").arg(shown).arg(all));
}

void ActivityWindow::showRecordings(Recordings& recordings, HitRecorder* live) {
    m_recordings = &recordings;
    if (live)
        connect(live, &HitRecorder::recorded, this, [this](const Recording& r) {
            if (r.start.date() == m_day)
                reloadRecordings();
        });
    reloadRecordings();
}

void ActivityWindow::reloadRecordings() {
    if (!m_recordings)
        return;
    m_hits->setRecordings(m_recordings->forDay(m_day));
    if (m_playingRow >= 0)
        m_player->setNextAvailable(nextRecordedRow(m_filtered->mapFromSource(m_hits->index(m_playingRow, 0)).row()) >=
                                   0);
}

void ActivityWindow::playRow(const QModelIndex& viewIndex) {
    const int row = m_filtered->mapToSource(viewIndex).row();
    const Recording* r = m_hits->recordingAt(row);
    if (!r || !m_recordings)
        return;
    const QString path = m_recordings->absolutePath(*r);
    if (path.isEmpty())
        return;
    m_playingRow = row;
    m_hitsView->selectRow(viewIndex.row());
    const QString name = r->talkgroupName.isEmpty() ? r->channelName : r->talkgroupName;
    const QString caption =
        QStringLiteral("%1  %2  %3")
            .arg(r->start.toString(QStringLiteral("HH:mm:ss")), Recordings::frequencyText(r->frequencyHz), name)
            .trimmed();
    m_player->play(path, caption);
    m_player->setNextAvailable(nextRecordedRow(viewIndex.row()) >= 0);
}

int ActivityWindow::nextRecordedRow(int from) const {
    for (int row = from + 1; row < m_filtered->rowCount(); ++row) {
        if (m_hits->recordingAt(m_filtered->mapToSource(m_filtered->index(row, 0)).row()))
            return row;
    }
    return -1;
}

void ActivityWindow::playNext() {
    if (m_playingRow < 0)
        return;
    const int next = nextRecordedRow(m_filtered->mapFromSource(m_hits->index(m_playingRow, 0)).row());
    if (next >= 0)
        playRow(m_filtered->index(next, 0));
}
