#include "Clock.h"
#include "logging/ActivityLogWriter.h"
#include "monitor/Switches.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

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
    QByteArray contents(const QString& log, const QString& day = QStringLiteral("20010215")) const {
        QFile f(file(log, day));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

class TestActivityLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchLine_durationAndLayout_data();
    void searchLine_durationAndLayout();
    void scanAndTrunkLines_sixFieldsEvenWithoutTags_data();
    void scanAndTrunkLines_sixFieldsEvenWithoutTags();
    void modeWordOnShow_writesNoLine_data();
    void modeWordOnShow_writesNoLine();
    void timeOfDay_followsLocaleWithoutZone_data();
    void timeOfDay_followsLocaleWithoutZone();
    void firstEvent_createsFolders_andMidnightStartsNextFile();
    void switchOff_stopsTheVeryNextLine_switchOnResumes();
    void unwritableFolderOrFile_losesOnlyThatLine();
};

void TestActivityLog::searchLine_durationAndLayout_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("now");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("line");
    QTest::newRow("under a second") << 54245 << 54245 << "NORMAL"
                                    << "154.2500,15:04:05,0.1,NFM,NORMAL\r\n";
    QTest::newRow("twelve seconds") << 54233 << 54245 << "NORMAL"
                                    << "154.2500,15:04:05,12.1,NFM,NORMAL\r\n";
    QTest::newRow("forced after the hold limit") << 53345 << 54245 << "FORCED"
                                                 << "154.2500,15:04:05,900.1,NFM,FORCED\r\n";
    QTest::newRow("no thousands separator") << 53245 << 54245 << "NORMAL"
                                            << "154.2500,15:04:05,1000.1,NFM,NORMAL\r\n";
    QTest::newRow("hold across midnight") << 86398 << 3 << "NORMAL"
                                          << "154.2500,15:04:05,5.1,NFM,NORMAL\r\n";
}

void TestActivityLog::searchLine_durationAndLayout() {
    QFETCH(int, start);
    QFETCH(int, now);
    QFETCH(QString, kind);
    QFETCH(QString, line);
    Bench b;
    b.writer.writeSearchLog(start, now, "154.2500", "NFM", kind);
    QCOMPARE(QString::fromUtf8(b.contents("SEARCH")), line);
}

void TestActivityLog::scanAndTrunkLines_sixFieldsEvenWithoutTags_data() {
    QTest::addColumn<bool>("trunk");
    QTest::addColumn<QString>("tag1");
    QTest::addColumn<QString>("tag2");
    QTest::addColumn<QString>("line");
    QTest::newRow("scan with tags") << false << "CITY PD"
                                    << "DISPATCH"
                                    << "12,154.2500,15:04:05,NFM,CITY PD,DISPATCH\r\n";
    QTest::newRow("scan, aux hidden") << false << ""
                                      << ""
                                      << "12,154.2500,15:04:05,NFM,,\r\n";
    QTest::newRow("scan, comma kept as typed") << false << "Smith, J"
                                               << ""
                                               << "12,154.2500,15:04:05,NFM,Smith, J,\r\n";
    QTest::newRow("trunk with tags") << true << "Fire"
                                     << "Station 3"
                                     << "2416,Type II,15:04:05,NFM,Fire,Station 3\r\n";
    QTest::newRow("trunk, aux hidden") << true << ""
                                       << ""
                                       << "2416,Type II,15:04:05,NFM,,\r\n";
}

void TestActivityLog::scanAndTrunkLines_sixFieldsEvenWithoutTags() {
    QFETCH(bool, trunk);
    QFETCH(QString, tag1);
    QFETCH(QString, tag2);
    QFETCH(QString, line);
    Bench b;
    // The time the line is written counts, not the time handed in.
    if (trunk)
        b.writer.writeTrunkLog("2416", "Type II", "NFM", tag1, tag2);
    else
        b.writer.writeScanLog("12", "154.2500", "09:00:00", "NFM", tag1, tag2);
    QCOMPARE(QString::fromUtf8(b.contents(trunk ? "TRUNK" : "SCAN")), line);
}

void TestActivityLog::modeWordOnShow_writesNoLine_data() {
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("written");
    QTest::newRow("search showing ' SEARCH '") << "SEARCH"
                                               << " SEARCH " << false;
    QTest::newRow("search showing 'SEARCHING'") << "SEARCH"
                                                << "SEARCHING" << true;
    QTest::newRow("search showing 'SCAN'") << "SEARCH"
                                           << "SCAN" << true;
    QTest::newRow("scan showing ' SCAN '") << "SCAN"
                                           << " SCAN " << false;
    QTest::newRow("trunk showing 'TRUNK '") << "TRUNK"
                                            << "TRUNK " << false;
    QTest::newRow("trunk showing 'trunk' (case counts)") << "TRUNK"
                                                         << "trunk" << true;
}

void TestActivityLog::modeWordOnShow_writesNoLine() {
    QFETCH(QString, log);
    QFETCH(QString, text);
    QFETCH(bool, written);
    Bench b;
    if (log == QLatin1String("SEARCH"))
        b.writer.writeSearchLog(1, 2, text, "FM", "NORMAL");
    else if (log == QLatin1String("SCAN"))
        b.writer.writeScanLog("1", text, {}, "FM", {}, {});
    else
        b.writer.writeTrunkLog(text, "Type II", "FM", {}, {});
    QCOMPARE(QFile::exists(b.file(log)), written);
    if (written)
        QVERIFY(QString::fromUtf8(b.contents(log)).contains(text));
    // The folders are made before the check.
    QVERIFY(QDir(b.dir.filePath("LOGS/" + log)).exists());
}

void TestActivityLog::timeOfDay_followsLocaleWithoutZone_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("US afternoon") << QLocale(QLocale::English, QLocale::UnitedStates) << QTime(15, 4, 5)
                                  << "3:04:05 PM";
    QTest::newRow("US morning") << QLocale(QLocale::English, QLocale::UnitedStates) << QTime(9, 0, 7) << "9:00:07 AM";
    QTest::newRow("German") << kGerman << QTime(15, 4, 5) << "15:04:05";
    QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom) << QTime(9, 0, 7) << "09:00:07";
}

void TestActivityLog::timeOfDay_followsLocaleWithoutZone() {
    QFETCH(QLocale, locale);
    QFETCH(QTime, time);
    QFETCH(QString, text);
    Switches switches;
    ManualClock clock(QDate(2001, 2, 15), time);
    ActivityLogWriter writer(QString(), switches, clock, locale);
    QCOMPARE(writer.timeText(time), text);
}

void TestActivityLog::firstEvent_createsFolders_andMidnightStartsNextFile() {
    Bench b;
    QVERIFY(!QDir(b.dir.filePath("LOGS")).exists());
    b.clock.set(QDate(2001, 2, 15), QTime(23, 59, 58));
    b.writer.writeTrunkLog("100", "Type II", "NFM", {}, {});
    b.clock.advanceMs(5000);
    b.writer.writeTrunkLog("200", "Type II", "NFM", {}, {});
    b.writer.writeTrunkLog("300", "Type II", "NFM", {}, {});
    QCOMPARE(b.contents("TRUNK", "20010215"), QByteArray("100,Type II,23:59:58,NFM,,\r\n"));
    QCOMPARE(b.contents("TRUNK", "20010216"),
             QByteArray("200,Type II,00:00:03,NFM,,\r\n300,Type II,00:00:03,NFM,,\r\n"));
}

void TestActivityLog::switchOff_stopsTheVeryNextLine_switchOnResumes() {
    Bench b;
    b.writer.writeScanLog("1", "151.0000", {}, "FM", {}, {});
    b.switches.setScanLogging(false);
    b.writer.writeScanLog("2", "152.0000", {}, "FM", {}, {});
    b.switches.setScanLogging(true);
    b.writer.writeScanLog("3", "153.0000", {}, "FM", {}, {});
    QCOMPARE(b.contents("SCAN"), QByteArray("1,151.0000,15:04:05,FM,,\r\n3,153.0000,15:04:05,FM,,\r\n"));

    b.switches.setSearchLogging(false);
    b.switches.setTrunkLogging(false);
    b.writer.writeSearchLog(1, 2, "154.0000", "FM", "NORMAL");
    b.writer.writeTrunkLog("2416", "Type II", "FM", {}, {});
    QVERIFY(!QDir(b.dir.filePath("LOGS/SEARCH")).exists());
    QVERIFY(!QDir(b.dir.filePath("LOGS/TRUNK")).exists());
}

void TestActivityLog::unwritableFolderOrFile_losesOnlyThatLine() {
    Bench b;
    QVERIFY(QDir().mkpath(b.dir.filePath("LOGS")));
    // A plain file where the SCAN folder belongs, and a folder where today's trunk file belongs.
    QFile blocker(b.dir.filePath("LOGS/SCAN"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(QDir().mkpath(b.file("TRUNK")));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("log folder cannot be created"));
    b.writer.writeScanLog("1", "151.0000", {}, "FM", {}, {});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("log file cannot be opened"));
    b.writer.writeTrunkLog("2416", "Type II", "FM", {}, {});
    b.writer.writeSearchLog(1, 2, "154.0000", "FM", "NORMAL");
    QCOMPARE(b.contents("SEARCH"), QByteArray("154.0000,15:04:05,1.1,FM,NORMAL\r\n"));

    // Once the obstacle is gone the next event is written again.
    QVERIFY(QFile::remove(b.dir.filePath("LOGS/SCAN")));
    b.writer.writeScanLog("2", "152.0000", {}, "FM", {}, {});
    QCOMPARE(b.contents("SCAN"), QByteArray("2,152.0000,15:04:05,FM,,\r\n"));
}

QTEST_GUILESS_MAIN(TestActivityLog)
#include "test_activitylog.moc"
