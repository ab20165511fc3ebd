// The activity logs: the lines the writer puts in each day's file, and the day read back from files of
// every layout the logs have had. Then the names: channels and talkgroups looked up in the local database for the
// aux display and the remote client, and the name grids.
#include "ManualClock.h"
#include "MonitorRig.h"
#include "logging/ActivityDay.h"
#include "logging/ActivityLogWriter.h"
#include "logging/ActivitySummary.h"
#include "logging/NameLookup.h"
#include "memory/NameTableModel.h"
#include "state/Switches.h"
#include "store/LocalDatabase.h"

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

constexpr ActivityLogKind kLogs[] = {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk};

// Plays a script into a data folder: events through the real writer, raw bytes where a file must hold
// what today's writer never writes. One step per line:
//   day 20010215 | scan 15:04:05 12 | search 10:00:00 154.2500 <hold start, seconds> | trunk 15:10:00 2416
//   raw SCAN 20010215 <bytes, \r and \n as written>
void play(const QString& folder, const QString& localeName, const QString& script) {
    Switches switches;
    switches.setScanLogging(true);
    switches.setSearchLogging(true);
    switches.setTrunkLogging(true);
    ManualClock clock;
    ActivityLogWriter writer(folder, switches, clock, QLocale(localeName));
    QDate day(2001, 2, 15);
    for (const QString& step : script.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QStringList w = step.trimmed().split(QLatin1Char(' '));
        if (w[0] == QLatin1String("day")) {
            day = QDate::fromString(w[1], QStringLiteral("yyyyMMdd"));
        } else if (w[0] == QLatin1String("raw")) {
            QDir().mkpath(folder + QStringLiteral("/LOGS/") + w[1]);
            QFile file(QStringLiteral("%1/LOGS/%2/%3.log").arg(folder, w[1], w[2]));
            QVERIFY(file.open(QIODevice::Append));
            const QString text = step.trimmed().section(QLatin1Char(' '), 3);
            file.write(QString(text)
                           .replace(QStringLiteral("\\r"), QStringLiteral("\r"))
                           .replace(QStringLiteral("\\n"), QStringLiteral("\n"))
                           .toLatin1());
        } else {
            clock.set(day, QTime::fromString(w[1], QStringLiteral("HH:mm:ss")));
            if (w[0] == QLatin1String("scan"))
                writer.writeScanLog(w[2], QStringLiteral("154.2500"), {}, QStringLiteral("NFM"),
                                    QStringLiteral("CITY PD"), QStringLiteral("DISPATCH"));
            else if (w[0] == QLatin1String("search"))
                writer.writeSearchLog(w[3].toInt(), clock.secondsSinceMidnight(), w[2], QStringLiteral("NFM"),
                                      QStringLiteral("NORMAL"));
            else
                writer.writeTrunkLog(w[2], QStringLiteral("Type II"), QStringLiteral("NFM"), {}, {});
        }
    }
}

// "scan 9:1 15:2 | search 10:1 | trunk" : the hours that had hits, per log.
QString hoursText(const ActivitySummary& summary) {
    QStringList logs;
    for (const ActivityLogKind log : kLogs) {
        QString text = ActivityHit::title(log).toLower();
        for (int hour = 0; hour < ActivitySummary::kHours; ++hour) {
            if (summary.hitsInHour(log, hour))
                text += QStringLiteral(" %1:%2").arg(hour).arg(summary.hitsInHour(log, hour));
        }
        logs << text;
    }
    return logs.join(QStringLiteral(" | "));
}

// "12x2 CITY PD / DISPATCH" for the busiest of each log, with "10.1s" where the log has a duration.
QString busiestText(const ActivitySummary& summary) {
    QStringList out;
    for (const ActivityLogKind log : kLogs) {
        for (const ActivitySummary::Entry& e : summary.busiest(log, 1))
            out << QStringLiteral("%1x%2%3%4")
                       .arg(e.key)
                       .arg(e.hits)
                       .arg(e.duration < 0 ? QString() : QStringLiteral(" %1s").arg(e.duration))
                       .arg(e.name.isEmpty() ? QString() : QLatin1Char(' ') + e.name);
    }
    return out.join(QStringLiteral("; "));
}

const char* const kDay =
    "scan 09:00:00 7 | scan 15:04:05 12 | scan 15:30:00 12 | search 10:00:00 154.2500 35990 | trunk 15:10:00 2416";

// The auxiliary window open, an empty database; the name grids write to it what the lookup reads.
struct LookupBench : MonitorContextRig {
    QTemporaryDir dir;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    NameLookup lookup{ctx};

    explicit LookupBench(quint8 model = ScannerModel::Pro2052)
        : MonitorContextRig(model) {
        clock.set(QDate(2001, 2, 15), QTime(15, 4, 5));
        state.gDb = &db;
        aux.setWindowVisible(true);
    }

    QStringList auxLines() const {
        return {aux.text("Text2", 1), aux.text("Text2", 2), aux.text("Text2", 3), aux.text("Text2", 4)};
    }
    void addChannel(const QString& table, int channel, const QVariant& company, const QVariant& tag) {
        QVERIFY(db.insertRow(table, {{"CHANNEL", channel}, {"COMPANY_NAME", company}, {"ALPHA_TAG", tag}}));
    }
    void hearChannel(const QString& channel, const QString& freq = QStringLiteral("154.2500")) {
        state.gChannelText = channel;
        state.gFreqText = freq;
        lookup.lookupChannel();
    }
    void hearTalkgroup(const QString& id) {
        state.gTalkgroupId = id;
        lookup.lookupTalkgroup();
    }
    // The lookup names a frequency once: each hearing comes on a new one.
    QString heardName(const QString& channel) {
        hearChannel(channel, QString::number(154.25 + ++heard));
        return aux.text("Text2", 3);
    }
    void set(NameTableModel& m, int row, const char* column, const QVariant& value, int role = Qt::EditRole) {
        QVERIFY2(m.setData(m.index(row, m.fieldIndex(QLatin1String(column))), value, role), column);
    }
    int heard = 0;
};

} // namespace

class TestLogging : public QObject {
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

    void summary_ofStoredLayouts_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("busiest");
        QTest::addColumn<int>("unreadable");
        const QString hours = QStringLiteral("scan 9:1 15:2 | search 10:1 | trunk 15:1");
        const QString busiest = QStringLiteral("12x2 CITY PD / DISPATCH; 154.2500x1 10.1s; 2416x1");
        QTest::newRow("12-hour times") << "en_US" << kDay << "20010215" << hours << busiest << 0;
        QTest::newRow("empty day") << "en_US" << kDay << "20010214"
                                   << "scan | search | trunk"
                                   << "" << 0;
        // Malformed, the next line glued onto a half-written one (both lost), blank lines (not counted), a line cut
        // short at the end of the file; a line showing the faceplate's word instead of a talkgroup is no hit.
        QTest::newRow("unreadable lines skipped and counted")
            << "de_DE"
            << QStringLiteral("raw SCAN 20010215 garbage\\r\\n12,154.25|%1|raw SCAN 20010215 \\r\\n\\r\\n9,155.0"
                              "|raw TRUNK 20010215 TRUNKING,MOT TYPE II,15:00:00,,,\\r\\n")
                   .arg(QLatin1String(kDay))
            << "20010215"
            << "scan 15:2 | search 10:1 | trunk 15:1" << busiest << 3;
        // The search hold started before midnight and is written after it, into the next day's file; the
        // first trunk line of the 16th was stamped at 23:59:59 on the 15th, a moment before the date turned.
        const QString midnight =
            QStringLiteral("day 20010215 | scan 23:59:58 12 | day 20010216 | search 00:00:03 154.2500 86398"
                           "| raw TRUNK 20010216 2416,Type II,11:59:59 PM,NFM,,\\r\\n | trunk 00:00:05 2417");
        QTest::newRow("across midnight, the day before") << "en_US" << midnight << "20010215"
                                                         << "scan 23:1 | search | trunk 23:1"
                                                         << "12x1 CITY PD / DISPATCH; 2416x1" << 0;
        QTest::newRow("across midnight, the day after") << "en_US" << midnight << "20010216"
                                                        << "scan | search 0:1 | trunk 0:1"
                                                        << "154.2500x1 5.1s; 2417x1" << 0;
        // Written by the Windows program: LF or CR LF, a code-page tag, a comma in a tag, a zone after the
        // time, a negative duration for a hold across midnight.
        QTest::newRow("older files") << "en_US"
                                     << QString::fromUtf8(
                                            "raw SCAN 20010215 5,155.1000,15:05:00,FM,FIRE, NORTH,OPS\\r\\n"
                                            "5,155.1000,3:06:00 PM CET,FM,CAF\xc3\x89,\\n"
                                            "| raw SEARCH 20010215 154.2500,00:00:03,-86394.9,NFM,FORCED\\r\\n")
                                     << "20010215"
                                     << "scan 15:2 | search 0:1 | trunk"
                                     << QString::fromUtf8("5x2 CAF\xc3\x89; 154.2500x1 5.1s") << 0;
        // 24-hour times; a whole line but for a tag past 64 KiB is skipped and counted, the lines after it read.
        QTest::newRow("24-hour times, a line over 64 KiB")
            << "de_DE"
            << QStringLiteral("raw SCAN 20010215 12,154.2500,15:40:00,NFM,A,%1\\r\\n|%2")
                   .arg(QString(70000, QLatin1Char('x')), QLatin1String(kDay))
            << "20010215" << hours << busiest << 1;
    }

    void summary_ofStoredLayouts() {
        QFETCH(QString, locale);
        QFETCH(QString, script);
        QFETCH(QString, day);
        QTemporaryDir dir;
        play(dir.path(), locale, script);
        const ActivityDay read = ActivityDay::read(dir.path(), QDate::fromString(day, QStringLiteral("yyyyMMdd")));
        const ActivitySummary summary(read);
        QTEST(hoursText(summary), "hours");
        QTEST(busiestText(summary), "busiest");
        QTEST(read.unreadableLines(), "unreadable");
        QVERIFY(std::is_sorted(read.hits().begin(), read.hits().end(),
                               [](const ActivityHit& a, const ActivityHit& b) { return a.seconds < b.seconds; }));
        // Read as a stream (as valdoria-cli activity does), hit by hit in file order: the same summary.
        ActivitySummary streamed;
        const ActivityDay scanned = ActivityDay::scan(dir.path(), QDate::fromString(day, QStringLiteral("yyyyMMdd")),
                                                      [&streamed](const ActivityHit& hit) { streamed.add(hit); });
        QVERIFY(scanned.hits().isEmpty());
        QTEST(hoursText(streamed), "hours");
        QTEST(busiestText(streamed), "busiest");
        QTEST(scanned.unreadableLines(), "unreadable");
    }

    void time_twelveAndTwentyFourHour_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");
        QTest::newRow("12 AM is midnight") << "12:00:01 AM" << 1;
        QTest::newRow("12 PM is noon") << "12:30:00 PM" << 45000;
        QTest::newRow("dots, p.m.") << "03.04.05 p.m." << 54245;
        QTest::newRow("marker first") << "PM 3:04:05" << 54245;
        QTest::newRow("13 PM") << "13:00:00 PM" << int(ActivityHit::kNoTime);
        QTest::newRow("no seconds") << "15:04" << int(ActivityHit::kNoTime);
        QTest::newRow("24:00:00") << "24:00:00" << int(ActivityHit::kNoTime);
    }

    void time_twelveAndTwentyFourHour() {
        QFETCH(QString, text);
        QTEST(ActivityHit::parseTime(text), "seconds");
    }

    void channel_looksOnlyInTheTableOfItsBank_data() {
        QTest::addColumn<QString>("channelText");
        QTest::addColumn<int>("stored"); // the channel number each bank table holds a row for
        QTest::addColumn<QString>("table");
        QTest::newRow("50 is the last of bank 1") << "50" << 50 << "BANK01";
        QTest::newRow("51 is the first of bank 2") << "51" << 51 << "BANK02";
        QTest::newRow("1000 in bank 20") << "1000" << 1000 << "BANK20";
        QTest::newRow("leading blanks and trailing text") << "  051x" << 51 << "BANK02";
        QTest::newRow("no row for channel 13") << "13" << 12 << "";
        QTest::newRow("channel 0 has no bank") << "0" << 0 << "";
        QTest::newRow("channel 1001 has no bank") << "1001" << 1001 << "";
        QTest::newRow("beyond 16 bits, not channel 1") << "65537" << 1 << "";
    }

    void channel_looksOnlyInTheTableOfItsBank() {
        QFETCH(QString, channelText);
        QFETCH(int, stored);
        QFETCH(QString, table);
        LookupBench b;
        // The same channel in every bank table, named after its table: only the bank's own may answer.
        for (int bank = 1; bank <= 20; ++bank)
            b.addChannel(LocalDatabase::bankTableName(bank), stored, LocalDatabase::bankTableName(bank), "tag");
        b.hearChannel(channelText);
        if (table.isEmpty()) {
            QCOMPARE(b.auxLines(), (QStringList{"FREQ: 154.2500", "TRANSMITTER CITY", "SERVICE DESCRIPTION",
                                                "ADDITIONAL USER NOTES"}));
            QVERIFY(b.remote.sent.isEmpty());
        } else {
            QCOMPARE(b.aux.text("Text2", 3), table);
            QCOMPARE(b.state.gBank, table.right(2).toInt());
        }
    }

    void channel_namesGoToAuxAndRemote_onceForTheSameFrequency_data() {
        QTest::addColumn<QVariant>("company");
        QTest::addColumn<QVariant>("tag");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("name");
        const QStringList first{"AUX1FREQ: 154.2500\r", "AUX2CHAN: 12\r"};
        QTest::newRow("both") << QVariant("CITY PD") << QVariant("DISPATCH")
                              << first + QStringList{"AUX3CITY PD\r", "AUX4DISPATCH\r"} << "CITY PD / DISPATCH";
        QTest::newRow("empty company") << QVariant("") << QVariant("DISPATCH") << first + QStringList{"AUX4DISPATCH\r"}
                                       << "DISPATCH";
        QTest::newRow("no alpha tag") << QVariant("CITY PD") << QVariant() << first + QStringList{"AUX3CITY PD\r"}
                                      << "CITY PD";
        // A tag that repeats the company is named once.
        QTest::newRow("tag same as company")
            << QVariant("County Fire") << QVariant("county fire")
            << first + QStringList{"AUX3County Fire\r", "AUX4county fire\r"} << "County Fire";
    }

    void channel_namesGoToAuxAndRemote_onceForTheSameFrequency() {
        QFETCH(QVariant, company);
        QFETCH(QVariant, tag);
        QFETCH(QStringList, sent);
        QFETCH(QString, name);
        LookupBench b;
        b.addChannel("BANK01", 12, company, tag);
        b.aux.setText("Text2", 3, "old name");
        b.aux.setText("Text2", 4, "old notes");
        b.state.gChannelText = QStringLiteral("12");
        b.state.gFreqText = QStringLiteral("154.2500");
        QCOMPARE(b.lookup.lookupChannel(), name);
        QCOMPARE(b.remote.sent, sent);
        QCOMPARE(b.auxLines(), (QStringList{"FREQ: 154.2500", "CHAN: 12", company.toString(), tag.toString()}));
        const int queries = b.db.statementCount();
        b.hearChannel("12");
        QCOMPARE(b.db.statementCount(), queries);
        QCOMPARE(b.remote.sent, sent);
    }

    void auxHidden_doesNothing() {
        LookupBench b;
        b.addChannel("BANK01", 12, "CITY PD", "DISPATCH");
        b.aux.setWindowVisible(false);
        const int queries = b.db.statementCount();
        b.hearChannel("12");
        b.hearTalkgroup("4711");
        QCOMPARE(b.db.statementCount(), queries);
        QCOMPARE(b.aux.text("Text2", 1), QStringLiteral("FREQUENCY & TALKGROUP ID"));
        QVERIFY(b.remote.sent.isEmpty());
    }

    void talkgroup_newIdAddedOnceThenFound() {
        LookupBench b;
        b.hearTalkgroup("");
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
        b.hearTalkgroup("O'Neil 42");
        QCOMPARE(b.auxLines(), (QStringList{"Talkgroup ID: O'Neil 42", "Unknown", "Unknown", "Added by Valdoria"}));
        const RowLookup added = b.db.findTalkgroup("O'Neil 42");
        QVERIFY(added.row);
        QStringList stored;
        for (const char* column : {"CITY", "SERVICE_DESC", "ALPHA_TAG", "DATE", "TIME"})
            stored << added.row->value(column).toString();
        QCOMPARE(stored.join('|'), QStringLiteral("Unknown|Unknown|Added by Valdoria|2001-02-15|15:04:05"));
        // Heard again after the operator named it, and after field 1 showed something else.
        QVERIFY(b.db.exec("UPDATE TALKGROUPS SET CITY = ? WHERE ID = ?", {"Elm Grove", "O'Neil 42"}));
        b.hearChannel("13");
        b.hearTalkgroup("O'Neil 42");
        QCOMPARE(b.aux.text("Text2", 2), QStringLiteral("Elm Grove"));
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
        QVERIFY(b.remote.sent.isEmpty());
    }

    void bc780_namesGoToFaceplateInBlack() {
        LookupBench b(ScannerModel::Bc780xlt);
        b.aux.setWindowVisible(false);
        b.addChannel("BANK10", 460, "CITY PD", QVariant());
        b.display.setText("Text2(4)", "SCANNER TAG");
        b.display.setForeColor("Text2(3)", 0x1F6FF3);
        b.hearChannel("460");
        // A tag without a value leaves the scanner's own line; the same frequency is looked up again.
        const int queries = b.db.statementCount();
        b.hearChannel("460");
        QCOMPARE(b.db.statementCount(), queries + 1);
        QCOMPARE(b.display.text("Text2(3)") + "|" + b.display.text("Text2(4)"), QStringLiteral("CITY PD|SCANNER TAG"));
        QCOMPARE(b.display.foreColor("Text2(3)"), 0u);
        QCOMPARE(b.remote.sent, QStringList{"AUX3CITY PD\r"});

        b.hearTalkgroup("");
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
        b.hearTalkgroup("2416");
        QCOMPARE(b.display.text("tbTONES") + "|" + b.display.text("Text2(4)"),
                 QStringLiteral("2416|Added by Valdoria"));
        const RowLookup found = b.db.findTalkgroup("2416");
        QVERIFY(found.row && !found.row->value("NOTES").isNull());
        QVERIFY(b.db.exec("UPDATE TALKGROUPS SET SERVICE_DESC = ?", {"Fire"}));
        b.hearTalkgroup("2416");
        QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("Fire"));
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
    }

    void unusableDatabase_lookupsCarryOnQuietly() {
        LookupBench b;
        QFile blocker(b.dir.filePath("Data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        b.hearChannel("12");
        b.hearTalkgroup("4711");
        b.hearChannel("13", "155.0000");
        QCOMPARE(b.auxLines().mid(0, 2), (QStringList{"FREQ: 155.0000", "TRANSMITTER CITY"}));
        QVERIFY(b.remote.sent.isEmpty());
        QCOMPARE(b.prompter.count("inform"), 1);
    }

    // A row typed into bank 3's grid is what the lookup shows for its channel, through every later change.
    void bankGridEdit_isWhatTheChannelLookupReads() {
        LookupBench b;
        NameTableModel m(NameTableModel::Kind::Bank, b.db, b.clock);
        QVERIFY(m.showBank(3));
        const int row = m.addRow();
        QVERIFY(row >= 0);
        b.set(m, row, "CHANNEL", 120);
        b.set(m, row, "COMPANY_NAME", "County Fire");
        QCOMPARE(b.heardName("120"), QStringLiteral("County Fire"));
        b.set(m, row, "DELAY", Qt::Checked, Qt::CheckStateRole);
        b.set(m, row, "COMPANY_NAME", "County Fire Dispatch");
        QCOMPARE(b.heardName("120"), QStringLiteral("County Fire Dispatch"));
        QCOMPARE(b.db.findBankChannel(3, 120).row->value(QStringLiteral("DELAY")).toInt(), 1);
        QVERIFY(m.deleteRow(row));
        QVERIFY(!b.db.findBankChannel(3, 120).row);
    }

    void addRow_takesTheBanksFirstFreeChannel_data() {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<int>("added");
        QTest::newRow("empty bank") << QList<int>{} << 51;
        QTest::newRow("after the rows there are") << QList<int>{51, 52, 54} << 53;
        QList<int> full;
        for (int c = 51; c <= 100; ++c)
            full << c;
        QTest::newRow("full bank") << full << 51;
    }

    void addRow_takesTheBanksFirstFreeChannel() {
        QFETCH(QList<int>, present);
        QFETCH(int, added);
        LookupBench b;
        for (int channel : present)
            QVERIFY(b.db.insertRow(QStringLiteral("BANK02"), {{QStringLiteral("CHANNEL"), channel}}));
        NameTableModel m(NameTableModel::Kind::Bank, b.db, b.clock);
        QVERIFY(m.showBank(2));
        const int row = m.addRow();
        QCOMPARE(m.data(m.index(row, m.fieldIndex(QStringLiteral("CHANNEL")))).toInt(), added);
        QCOMPARE(b.db.rowCount(QStringLiteral("BANK02")), present.size() + 1);
    }

    void grids_showTheirHeadingsInOrder_sortedByChannelOrId() {
        LookupBench b;
        for (const char* id : {"10", "A1", "2"})
            QVERIFY(b.db.addTalkgroup({QLatin1String(id), {}, {}, {}, {}, {}, {}}));
        for (int channel : {7, 3})
            QVERIFY(b.db.insertRow(QStringLiteral("BANK01"), {{QStringLiteral("CHANNEL"), channel}}));
        NameTableModel talkgroups(NameTableModel::Kind::Talkgroups, b.db, b.clock);
        NameTableModel bank(NameTableModel::Kind::Bank, b.db, b.clock);
        QVERIFY(bank.showBank(1));
        QStringList seen;
        for (NameTableModel* m : {&talkgroups, &bank}) {
            for (int column : m->shownColumns())
                seen << m->headerData(column, Qt::Horizontal).toString();
            for (int r = 0; r < m->rowCount(); ++r)
                seen << m->data(m->index(r, m->shownColumns().first())).toString();
        }
        QCOMPARE(seen, (QStringList{"TG ID", "CITY", "SERVICE NOTES", "ALPHA TAG", "A1", "2", "10", "CHAN", "FREQ",
                                    "TRNK", "DLY", "L/O", "PRI", "ALPHA TAG #1", "ALPHA TAG #2", "3", "7"}));
    }
};

QTEST_GUILESS_MAIN(TestLogging)
#include "test_logging.moc"
