// Writes a day of activity logs (scan, search and trunk, 12-hour times) into a temporary data folder and
// prints how long reading and summarising that day takes. Usage: bench_activity [hits] [runs]
#include "ManualClock.h"
#include "logging/ActivityDay.h"
#include "logging/ActivityLogWriter.h"
#include "logging/ActivitySummary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int total = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QDate day(2001, 2, 15);
    // The lines as the writer lays them out in a 12-hour locale, spread evenly over the day: half scan,
    // three tenths search, a fifth trunk.
    const QString format = ActivityLogWriter::timeFormatWithoutZone(QLocale(QStringLiteral("en_US")));
    QByteArray files[ActivityHit::kLogCount];
    for (int i = 0; i < total; ++i) {
        const QString time =
            QLocale(QStringLiteral("en_US")).toString(QTime(0, 0).addSecs(i * 86400LL / total), format);
        const int pick = i % 10;
        const QString n = QString::number(i % 97 + 1);
        if (pick < 5)
            files[0] += QStringLiteral("%1,%2.%3,%4,NFM,BANK %1,CHANNEL %1\r\n")
                            .arg(n)
                            .arg(150 + i % 7)
                            .arg(n, 4, QLatin1Char('0'))
                            .arg(time)
                            .toUtf8();
        else if (pick < 8)
            files[1] += QStringLiteral("%1.%2,%3,%4.1,NFM,NORMAL\r\n")
                            .arg(150 + i % 11)
                            .arg(i % 9999, 4, 10, QLatin1Char('0'))
                            .arg(time)
                            .arg(i % 30)
                            .toUtf8();
        else
            files[2] += QStringLiteral("%1,Type II,%2,NFM,TG %1,\r\n").arg(1000 + i % 331).arg(time).toUtf8();
    }
    for (const ActivityLogKind log : {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk}) {
        const QString path = ActivityHit::filePath(dir.path(), log, day);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(files[int(log)]) != files[int(log)].size()) {
            out << "cannot write " << path << Qt::endl;
            return 1;
        }
    }

    // Wall time, and the processor time of this program, which other work on the machine does not inflate.
    QList<double> times;
    QList<double> cpuTimes;
    int hits = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const ActivityDay read = ActivityDay::read(dir.path(), day);
        const ActivitySummary summary(read);
        for (const ActivityLogKind log : {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk})
            summary.busiest(log);
        times << timer.nsecsElapsed() / 1e6;
        cpuTimes << (std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
        hits = summary.hits();
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    out << "activity: read and summarised a day of " << hits << " hits (" << runs << " runs): median "
        << QString::number(times.at(times.size() / 2), 'f', 1) << " ms, best " << QString::number(times.first(), 'f', 1)
        << " ms; processor time median " << QString::number(cpuTimes.at(cpuTimes.size() / 2), 'f', 1) << " ms"
        << Qt::endl;
    return hits == total ? 0 : 1;
}
