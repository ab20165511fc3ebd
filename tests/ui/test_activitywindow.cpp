#include "ManualClock.h"
#include "MonitorRig.h"
#include "activity/ActivityChartWidget.h"
#include "activity/ActivityWindow.h"
#include "logging/ActivityLogWriter.h"
#include "monitor/Monitor.h"
#include "state/Switches.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A data folder whose logs are written by the real writer on 15 February 2001, in a 12-hour locale.
struct Day {
    QTemporaryDir dir;
    Switches switches;
    ManualClock clock{QDate(2001, 2, 15), QTime(15, 4, 5)};
    ActivityLogWriter writer{dir.path(), switches, clock, QLocale(QStringLiteral("en_US"))};

    Day() {
        switches.setScanLogging(true);
        switches.setTrunkLogging(true);
    }
    void scan(const QTime& at, const QString& chan) {
        clock.set(clock.date(), at);
        writer.writeScanLog(chan, QStringLiteral("154.2500"), {}, QStringLiteral("NFM"), QStringLiteral("CITY PD"),
                            QStringLiteral("DISPATCH"));
    }
    void trunk(const QTime& at, const QString& id) {
        clock.set(clock.date(), at);
        writer.writeTrunkLog(id, QStringLiteral("Type II"), QStringLiteral("NFM"), {}, {});
    }
};

// "9:trunk 15:scan": the hours whose slot of the grabbed chart holds a log's colour.
QString barsDrawn(ActivityChartWidget* chart) {
    const QImage image = chart->grab().toImage();
    QStringList out;
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour) {
        const QRect slot = chart->hourRect(hour);
        for (const ActivityLogKind log : {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk}) {
            bool found = false;
            for (int y = slot.top(); y <= slot.bottom() && !found; ++y)
                found = QColor(image.pixel(slot.center().x(), y)) == ActivityChartWidget::colour(log);
            if (found)
                out << QStringLiteral("%1:%2").arg(hour).arg(ActivityHit::title(log).toLower());
        }
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestActivityWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fixtureDay_chartListsAndCount_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("bars");
        QTest::addColumn<QString>("busiestChannel");
        QTest::addColumn<QString>("unreadable");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<bool>("axis");
        QTest::newRow("busy day") << QDate(2001, 2, 15) << "9:trunk 15:scan"
                                  << "12"
                                  << "1 line could not be read"
                                  << QStringList{"Channels: 2 (3 hits)", "Frequencies: 0 (0 hits)",
                                                 "Talkgroups: 1 (1 hit)"}
                                  << true;
        QTest::newRow("empty day") << QDate(2001, 2, 14) << ""
                                   << ""
                                   << ""
                                   << QStringList{"Channels: 0 (0 hits)", "Frequencies: 0 (0 hits)",
                                                  "Talkgroups: 0 (0 hits)"}
                                   << false;
    }

    void fixtureDay_chartListsAndCount() {
        QFETCH(QDate, date);
        Day day;
        day.trunk(QTime(9, 15, 0), QStringLiteral("2416"));
        day.scan(QTime(15, 4, 5), QStringLiteral("12"));
        day.scan(QTime(15, 40, 0), QStringLiteral("12"));
        day.scan(QTime(15, 50, 0), QStringLiteral("7"));
        QFile scanLog(day.dir.filePath(QStringLiteral("LOGS/SCAN/20010215.log")));
        QVERIFY(scanLog.open(QIODevice::Append));
        scanLog.write("12,154.2500,3:4\r\n");
        scanLog.close();

        ActivityWindow window(day.dir.path(), date);
        QSignalSpy shown(&window, &ActivityWindow::dayShown);
        window.show();
        QVERIFY(shown.wait(5000));
        auto* chart = window.findChild<ActivityChartWidget*>();
        QTEST(barsDrawn(chart), "bars");
        auto* channels = window.findChild<QTableWidget*>(QStringLiteral("tblBusiestScan"));
        QTEST(channels->rowCount() ? channels->item(0, 1)->text() : QString(), "busiestChannel");
        QTEST(window.findChild<QLabel*>(QStringLiteral("lblUnreadable"))->text(), "unreadable");
        if (window.summary().hits() == 0)
            QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblTotals"))->text(),
                     QStringLiteral("No hits logged on this day."));
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabBusiest"));
        QStringList tabTexts;
        for (int i = 0; i < tabs->count(); ++i)
            tabTexts << tabs->tabText(i);
        QTEST(tabTexts, "tabs");
        // An empty day draws no axis at all, only its sentence.
        const QImage image = chart->grab().toImage();
        int inked = 0;
        const QRect plot = chart->hourRect(0).united(chart->hourRect(ActivitySummary::kHours - 1));
        for (int x = plot.left(); x <= plot.right(); ++x)
            inked += qGray(image.pixel(x, plot.bottom())) < 128 ? 1 : 0;
        QTEST(inked > plot.width() / 2, "axis");

        // At its first size every column of the hit list shows without scrolling sideways, and says what it holds.
        auto* hits = window.findChild<QTableView*>(QStringLiteral("tblHits"));
        QTRY_COMPARE(hits->horizontalScrollBar()->maximum(), 0);
        for (int c = 0; c < hits->model()->columnCount(); ++c)
            QVERIFY(!hits->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
    }

    // The monitor's hits of the day shown join the rows as they end: a trunked call at noon after the
    // logged morning stop; a stop on the next day does not.
    void monitorHits_appearForTheDayShownAsTheyEnd() {
        Day day;
        day.scan(QTime(8, 0, 0), QStringLiteral("12"));
        MonitorContextRig rig;
        rig.clock.set(day.clock.date(), QTime(12, 0, 0));
        Monitor monitor(rig.ctx);
        const auto feed = [&](qint64 ms, quint8 mode, const QString& line) {
            rig.clock.advanceMs(ms);
            rig.state.gMode = mode;
            rig.state.gReply = line;
            monitor.parser().parseReply();
            monitor.publish();
        };
        ActivityWindow window(day.dir.path(), day.clock.date());
        window.follow(monitor);
        QSignalSpy shown(&window, &ActivityWindow::dayShown);
        QVERIFY(shown.wait(5000));
        auto* hits = window.findChild<QTableView*>(QStringLiteral("tblHits"));

        feed(0, 9, QStringLiteral("ID S 002416 08515625"));
        feed(100, 9, QStringLiteral("RM NFM"));
        feed(2400, 9, QStringLiteral("ID E"));
        QCOMPARE(window.summary().hitsInHour(ActivityLogKind::Trunk, 12), 1);
        QCOMPARE(hits->model()->rowCount(), 2);
        // Sorted by time with the new hit last; the filter looks at every column.
        const auto cell = [hits](int column) { return hits->model()->index(1, column).data().toString(); };
        QCOMPARE(QStringList({cell(0), cell(1), cell(2), cell(5), cell(6)}),
                 QStringList({"12:00:00", "Trunk", "2416", "NFM", "2.5"}));
        window.findChild<QLineEdit*>(QStringLiteral("tbFilter"))->setText(QStringLiteral("dispatch"));
        QCOMPARE(hits->model()->rowCount(), 1);

        // The next day's hits are not this day's.
        rig.clock.set(day.clock.date().addDays(1), QTime(0, 0, 5));
        feed(0, 0, QStringLiteral("+"));
        feed(100, 0, QStringLiteral("C007  01550000     N  F     F"));
        feed(2000, 0, QStringLiteral("-"));
        QCOMPARE(window.summary().hits(), 2);
    }
};

QTEST_MAIN(TestActivityWindow)
#include "test_activitywindow.moc"
