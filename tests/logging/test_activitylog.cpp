#include "ManualClock.h"
#include "logging/ActivityLogWriter.h"
#include "state/Switches.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A day file on a disk that holds `room` bytes of it: a write takes what still fits, as write(2) does.
struct NearlyFullFile : QFile {
    NearlyFullFile(const QString& path, const qint64& room)
        : QFile(path)
        , room(room) {}
    qint64 writeData(const char* data, qint64 len) override {
        return QFile::writeData(data, qBound<qint64>(0, room - QFileInfo(fileName()).size(), len));
    }
    const qint64& room;
};

struct Bench {
    QTemporaryDir dir;
    Switches switches;
    ManualClock clock{QDate(2001, 2, 15), QTime(15, 4, 5)};
    // A 24-hour locale, so the time field reads 15:04:05.
    ActivityLogWriter writer{dir.path(), switches, clock, QLocale(QLocale::German, QLocale::Germany)};
    QStringList said;

    Bench() {
        switches.setScanLogging(true);
        switches.setSearchLogging(true);
        switches.setTrunkLogging(true);
        QObject::connect(&writer, &ActivityLogWriter::statusLine, [this](const QString& text) { said << text; });
    }
    QString file(const QString& log, const QString& day = QStringLiteral("20010215")) const {
        return dir.filePath(QStringLiteral("LOGS/%1/%2.log").arg(log, day));
    }
    QString contents(const QString& log, const QString& day = QStringLiteral("20010215")) const {
        QFile f(file(log, day));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    void scan(const QString& freq) { writer.writeScanLog("1", freq, {}, "FM", {}, {}); }
    void trunk(const QString& id) { writer.writeTrunkLog(id, "Type II", "FM", {}, {}); }
    void search(const QString& freq) { writer.writeSearchLog(1, 2, freq, "FM", "NORMAL"); }
};

} // namespace

class TestActivityLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void line_layoutDurationAndModeWord_data() {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("now");
        QTest::addColumn<QString>("line");
        const auto row = [](const char* name, const char* log, const char* entry, int start, int now,
                            const char* line) { QTest::newRow(name) << log << entry << start << now << line; };
        row("search, no thousands separator", "SEARCH", "154.2500", 53245, 54245,
            "154.2500,15:04:05,1000.1,NFM,FORCED\r\n");
        row("search, hold across midnight", "SEARCH", "154.2500", 86398, 3, "154.2500,15:04:05,5.1,NFM,FORCED\r\n");
        row("search showing ' SEARCH '", "SEARCH", " SEARCH ", 0, 0, "");
        row("search 'SEARCHING' under a second", "SEARCH", "SEARCHING", 0, 0, "SEARCHING,15:04:05,0.1,NFM,FORCED\r\n");
        row("scan with tags", "SCAN", "154.2500", 0, 0, "12,154.2500,15:04:05,NFM,CITY PD,DISPATCH\r\n");
        row("trunk with tags", "TRUNK", "2416", 0, 0, "2416,Type II,15:04:05,NFM,CITY PD,DISPATCH\r\n");
    }

    void line_layoutDurationAndModeWord() {
        QFETCH(QString, log);
        QFETCH(QString, entry);
        QFETCH(int, start);
        QFETCH(int, now);
        QFETCH(QString, line);
        Bench b;
        // The time the line is written counts, not the time handed in.
        if (log == QLatin1String("SEARCH"))
            b.writer.writeSearchLog(start, now, entry, "NFM", "FORCED");
        else if (log == QLatin1String("SCAN"))
            b.writer.writeScanLog("12", entry, "09:00:00", "NFM", "CITY PD", "DISPATCH");
        else
            b.writer.writeTrunkLog(entry, "Type II", "NFM", "CITY PD", "DISPATCH");
        QCOMPARE(b.contents(log), line);
    }

    void timeOfDay_followsLocaleWithoutZone() {
        Bench b;
        const ActivityLogWriter us(b.dir.path(), b.switches, b.clock, QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(us.timeText(QTime(15, 4, 5)), QStringLiteral("3:04:05 PM"));
    }

    void dayFile_followsDateAndEachLogsOwnSwitch() {
        Bench b;
        b.clock.set(QDate(2001, 2, 15), QTime(23, 59, 58));
        b.scan("151.0000");
        b.switches.setScanLogging(false);
        b.scan("152.0000");
        b.switches.setScanLogging(true);
        b.clock.advanceMs(5000);
        b.scan("153.0000");
        b.scan("154.0000");
        QCOMPARE(
            (QStringList{b.contents("SCAN"), b.contents("SCAN", "20010216")}),
            (QStringList{"1,151.0000,23:59:58,FM,,\r\n", "1,153.0000,00:00:03,FM,,\r\n1,154.0000,00:00:03,FM,,\r\n"}));
        b.switches.setSearchLogging(false);
        b.switches.setTrunkLogging(false);
        b.search("154.0000");
        b.trunk("2416");
        QCOMPARE(QDir(b.dir.filePath("LOGS")).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"SCAN"});
    }

    void unwritableFolderOrFile_losesOnlyThatLine() {
        Bench b;
        // A plain file where the SCAN folder belongs, and a folder where today's trunk file belongs.
        QVERIFY(QDir().mkpath(b.file("TRUNK")));
        QFile blocker(b.dir.filePath("LOGS/SCAN"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        b.scan("151.0000");
        b.trunk("2416");
        b.search("154.0000");
        QCOMPARE(b.contents("SEARCH"), QStringLiteral("154.0000,15:04:05,1.1,FM,NORMAL\r\n"));
        QVERIFY(QRegularExpression("^Scan log: folder .*\nTrunk log: .*20010215.log cannot be opened")
                    .match(b.said.join('\n'))
                    .hasMatch());
        QCOMPARE(b.said.size(), 2);
    }

    void diskFull_recordWholeOrAbsent_saidOnceAndWhenWritingAgain() {
        Bench b;
        qint64 capacity = 1 << 20;
        b.writer.setFileOpener(
            [&capacity](const QString& path) { return std::make_unique<NearlyFullFile>(path, capacity); });
        b.trunk("851.0125");
        // Half of the next line fits, then nothing.
        capacity = b.contents("TRUNK").size() + 12;
        b.trunk("852.0125");
        b.trunk("853.0125");
        capacity = 1 << 20;
        b.trunk("854.0125");
        b.trunk("855.0125");
        QCOMPARE(b.contents("TRUNK"),
                 QStringLiteral("851.0125,Type II,15:04:05,FM,,\r\n854.0125,Type II,15:04:05,FM,,\r\n"
                                "855.0125,Type II,15:04:05,FM,,\r\n"));
        QCOMPARE(b.said,
                 (QStringList{"Trunk log: disk full; lines are not being written", "Trunk log: writing again"}));
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        // The real thing: a write on a full device is said the same way.
        QVERIFY(QDir().mkpath(b.dir.filePath("LOGS/SCAN")) && QFile::link("/dev/full", b.file("SCAN")));
        b.scan("151.0000");
        QCOMPARE(b.said.last(), QStringLiteral("Scan log: disk full; lines are not being written"));
    }
};

QTEST_GUILESS_MAIN(TestActivityLog)
#include "test_activitylog.moc"
