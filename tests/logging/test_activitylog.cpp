#include "ManualClock.h"
#include "logging/ActivityLogWriter.h"
#include "state/Switches.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A day file on a disk that holds `capacity` bytes of it: a write takes what still fits, as write(2) does.
class NearlyFullFile : public QFile {
public:
    NearlyFullFile(const QString& path, const qint64& capacity)
        : QFile(path)
        , m_capacity(capacity) {}

protected:
    qint64 writeData(const char* data, qint64 len) override {
        return QFile::writeData(data, qBound<qint64>(0, m_capacity - QFileInfo(fileName()).size(), len));
    }

private:
    const qint64& m_capacity;
};

// A 24-hour locale, so the time field reads 15:04:05.
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct Bench {
    QTemporaryDir dir;
    Switches switches;
    ManualClock clock{QDate(2001, 2, 15), QTime(15, 4, 5)};
    ActivityLogWriter writer{dir.path(), switches, clock, kGerman};

    Bench() {
        switches.setScanLogging(true);
        switches.setSearchLogging(true);
        switches.setTrunkLogging(true);
    }
    QString file(const QString& log, const QString& day = QStringLiteral("20010215")) const {
        return dir.filePath(QStringLiteral("LOGS/%1/%2.log").arg(log, day));
    }
    QString contents(const QString& log, const QString& day = QStringLiteral("20010215")) const {
        QFile f(file(log, day));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

} // namespace

class TestActivityLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void line_layoutDurationAndModeWord_data();
    void line_layoutDurationAndModeWord();
    void timeOfDay_followsLocaleWithoutZone();
    void firstEvent_createsFolders_andMidnightStartsNextFile();
    void switchOff_stopsTheVeryNextLine_switchOnResumes();
    void unwritableFolderOrFile_losesOnlyThatLine();
    void diskFull_recordWholeOrAbsent_saidOnceAndWhenWritingAgain();
    void devFull_saidAsDiskFull();
};

void TestActivityLog::line_layoutDurationAndModeWord_data() {
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("now");
    QTest::addColumn<QString>("tags");
    QTest::addColumn<QString>("line");
    const auto row = [](const char* name, const char* log, const char* entry, int start, int now, const char* tags,
                        const char* line) { QTest::newRow(name) << log << entry << start << now << tags << line; };
    row("search under a second", "SEARCH", "154.2500", 54245, 54245, "", "154.2500,15:04:05,0.1,NFM,FORCED\r\n");
    row("search, no thousands separator", "SEARCH", "154.2500", 53245, 54245, "",
        "154.2500,15:04:05,1000.1,NFM,FORCED\r\n");
    row("search, hold across midnight", "SEARCH", "154.2500", 86398, 3, "", "154.2500,15:04:05,5.1,NFM,FORCED\r\n");
    row("search showing ' SEARCH '", "SEARCH", " SEARCH ", 0, 0, "", "");
    row("search showing 'SEARCHING'", "SEARCH", "SEARCHING", 0, 0, "", "SEARCHING,15:04:05,0.1,NFM,FORCED\r\n");
    row("scan with tags", "SCAN", "154.2500", 0, 0, "CITY PD|DISPATCH",
        "12,154.2500,15:04:05,NFM,CITY PD,DISPATCH\r\n");
    row("scan, aux hidden", "SCAN", "154.2500", 0, 0, "", "12,154.2500,15:04:05,NFM,,\r\n");
    row("trunk, aux hidden", "TRUNK", "2416", 0, 0, "", "2416,Type II,15:04:05,NFM,,\r\n");
    row("trunk showing 'TRUNK '", "TRUNK", "TRUNK ", 0, 0, "", "");
}

void TestActivityLog::line_layoutDurationAndModeWord() {
    QFETCH(QString, log);
    QFETCH(QString, entry);
    QFETCH(int, start);
    QFETCH(int, now);
    QFETCH(QString, tags);
    QFETCH(QString, line);
    const QString tag1 = tags.section('|', 0, 0), tag2 = tags.section('|', 1, 1);
    Bench b;
    // The time the line is written counts, not the time handed in.
    if (log == QLatin1String("SEARCH"))
        b.writer.writeSearchLog(start, now, entry, "NFM", "FORCED");
    else if (log == QLatin1String("SCAN"))
        b.writer.writeScanLog("12", entry, "09:00:00", "NFM", tag1, tag2);
    else
        b.writer.writeTrunkLog(entry, "Type II", "NFM", tag1, tag2);
    QCOMPARE(b.contents(log), line);
}

void TestActivityLog::timeOfDay_followsLocaleWithoutZone() {
    Bench b;
    const ActivityLogWriter us(b.dir.path(), b.switches, b.clock, QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(us.timeText(QTime(15, 4, 5)), QStringLiteral("3:04:05 PM"));
}

void TestActivityLog::firstEvent_createsFolders_andMidnightStartsNextFile() {
    Bench b;
    b.clock.set(QDate(2001, 2, 15), QTime(23, 59, 58));
    b.writer.writeTrunkLog("100", "Type II", "NFM", {}, {});
    b.clock.advanceMs(5000);
    b.writer.writeTrunkLog("200", "Type II", "NFM", {}, {});
    b.writer.writeTrunkLog("300", "Type II", "NFM", {}, {});
    QCOMPARE(b.contents("TRUNK", "20010215"), QStringLiteral("100,Type II,23:59:58,NFM,,\r\n"));
    QCOMPARE(b.contents("TRUNK", "20010216"),
             QStringLiteral("200,Type II,00:00:03,NFM,,\r\n300,Type II,00:00:03,NFM,,\r\n"));
}

void TestActivityLog::switchOff_stopsTheVeryNextLine_switchOnResumes() {
    Bench b;
    b.writer.writeScanLog("1", "151.0000", {}, "FM", {}, {});
    b.switches.setScanLogging(false);
    b.writer.writeScanLog("2", "152.0000", {}, "FM", {}, {});
    b.switches.setScanLogging(true);
    b.writer.writeScanLog("3", "153.0000", {}, "FM", {}, {});
    QCOMPARE(b.contents("SCAN"), QStringLiteral("1,151.0000,15:04:05,FM,,\r\n3,153.0000,15:04:05,FM,,\r\n"));
    // Each log follows its own switch.
    b.switches.setSearchLogging(false);
    b.switches.setTrunkLogging(false);
    b.writer.writeSearchLog(1, 2, "154.0000", "FM", "NORMAL");
    b.writer.writeTrunkLog("2416", "Type II", "FM", {}, {});
    QVERIFY(!QDir(b.dir.filePath("LOGS/SEARCH")).exists());
    QVERIFY(!QDir(b.dir.filePath("LOGS/TRUNK")).exists());
}

void TestActivityLog::unwritableFolderOrFile_losesOnlyThatLine() {
    Bench b;
    // A plain file where the SCAN folder belongs, and a folder where today's trunk file belongs.
    QVERIFY(QDir().mkpath(b.file("TRUNK")));
    QFile blocker(b.dir.filePath("LOGS/SCAN"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    QSignalSpy said(&b.writer, &ActivityLogWriter::statusLine);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("log folder cannot be created"));
    b.writer.writeScanLog("1", "151.0000", {}, "FM", {}, {});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("log file cannot be opened"));
    b.writer.writeTrunkLog("2416", "Type II", "FM", {}, {});
    b.writer.writeSearchLog(1, 2, "154.0000", "FM", "NORMAL");
    QCOMPARE(b.contents("SEARCH"), QStringLiteral("154.0000,15:04:05,1.1,FM,NORMAL\r\n"));
    QCOMPARE(said.size(), 2);
    QVERIFY(said.at(0).at(0).toString().startsWith("Scan log: folder "));
    QVERIFY(said.at(1).at(0).toString().contains(QRegularExpression("^Trunk log: .*20010215.log cannot be opened")));
}

void TestActivityLog::diskFull_recordWholeOrAbsent_saidOnceAndWhenWritingAgain() {
    Bench b;
    qint64 capacity = 1 << 20;
    b.writer.setFileOpener(
        [&capacity](const QString& path) { return std::make_unique<NearlyFullFile>(path, capacity); });
    QSignalSpy said(&b.writer, &ActivityLogWriter::statusLine);
    const QString first = QStringLiteral("851.0125,MOT TYPE II,15:04:05,FM,,\r\n");
    b.writer.writeTrunkLog("851.0125", "MOT TYPE II", "FM", {}, {});
    // Half of the next line fits, then nothing.
    capacity = first.size() + 12;
    b.writer.writeTrunkLog("852.0125", "MOT TYPE II", "FM", {}, {});
    b.writer.writeTrunkLog("853.0125", "MOT TYPE II", "FM", {}, {});
    capacity = 1 << 20;
    b.writer.writeTrunkLog("854.0125", "MOT TYPE II", "FM", {}, {});
    b.writer.writeTrunkLog("855.0125", "MOT TYPE II", "FM", {}, {});
    QCOMPARE(b.contents("TRUNK"), first + QStringLiteral("854.0125,MOT TYPE II,15:04:05,FM,,\r\n"
                                                         "855.0125,MOT TYPE II,15:04:05,FM,,\r\n"));
    QCOMPARE(said.size(), 2);
    QCOMPARE(said.at(0).at(0).toString(), QStringLiteral("Trunk log: disk full; lines are not being written"));
    QCOMPARE(said.at(1).at(0).toString(), QStringLiteral("Trunk log: writing again"));
}

void TestActivityLog::devFull_saidAsDiskFull() {
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("no /dev/full here");
    Bench b;
    QVERIFY(QDir().mkpath(b.dir.filePath("LOGS/SCAN")));
    QVERIFY(QFile::link("/dev/full", b.file("SCAN")));
    QSignalSpy said(&b.writer, &ActivityLogWriter::statusLine);
    b.writer.writeScanLog("1", "151.0000", {}, "FM", {}, {});
    QCOMPARE(said.size(), 1);
    QCOMPARE(said.at(0).at(0).toString(), QStringLiteral("Scan log: disk full; lines are not being written"));
}

QTEST_GUILESS_MAIN(TestActivityLog)
#include "test_activitylog.moc"
