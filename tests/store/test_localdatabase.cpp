// The local database file, and CSV in and out of it: a channel set through CHIRP's layout (and CHIRP's own
// reader), talkgroups from a RadioReference-style file, and bad files refused with their line number and
// nothing written.
#include "ScriptedPrompter.h"
#include "store/BackupSets.h"
#include "store/ChannelCsv.h"
#include "store/LocalDatabase.h"
#include "store/TalkgroupCsv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A row as its values joined by spaces, null as empty text.
QString text(const QSqlRecord& record) {
    QStringList fields;
    for (int i = 0; i < record.count(); ++i)
        fields << record.value(i).toString();
    return fields.join(' ');
}

// Every row found, or "failed".
QStringList rows(LocalDatabase& db, const QString& sql, const QVariantList& values = {}) {
    const auto found = db.select(sql, values);
    QStringList out(found ? 0 : 1, QStringLiteral("failed"));
    for (const QSqlRecord& record : found.value_or(QList<QSqlRecord>{}))
        out << text(record);
    return out;
}

struct Bench {
    QTemporaryDir dir;
    QString path = LocalDatabase::pathForAppFolder(dir.path());
    ScriptedPrompter prompter;
    LocalDatabase db{path, prompter};
    QStringList said;

    Bench() {
        QObject::connect(&db, &LocalDatabase::statusLine, [this](const QString& text) { said << text; });
    }
    bool add(const QString& id, const QString& city = {}) { return db.addTalkgroup({id, city, {}, {}, {}, {}, {}}); }
    QString talkgroupIds() { return rows(db, "SELECT ID FROM TALKGROUPS ORDER BY rowid").join(' '); }
    // A file in the test's folder, holding the text when there is one.
    QString file(const QString& name, const QByteArray& text = {}) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!text.isEmpty() && (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

// Another program on the same file holding a write transaction, as an sqlite3 shell after BEGIN IMMEDIATE.
struct OtherProgram {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other program");
    explicit OtherProgram(const QString& path) {
        db.setDatabaseName(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) && db.open());
        hold();
    }
    void hold() {
        QSqlQuery q(db);
        QVERIFY2(q.exec("BEGIN IMMEDIATE") && q.exec("CREATE TABLE IF NOT EXISTS other_notes (n TEXT)"),
                 qPrintable(q.lastError().text()));
    }
    ~OtherProgram() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("other program");
    }
};
BackupChannel channel(int number, double mhz, const QString& tag, const QString& licensee, bool lockout) {
    BackupChannel row;
    row.channel = number;
    row.frequency = mhz;
    row.frequencyText = QString::number(mhz, 'f', 4);
    row.lockout = lockout;
    row.names = {{QStringLiteral("ALPHA_TAG"), tag}, {QStringLiteral("COMPANY_NAME"), licensee}};
    return row;
}

} // namespace

class TestLocalDatabase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void installationRows_onlyInTablesCreatedNow() {
        Bench b;
        {
            LocalDatabase first(b.path, b.prompter);
            QCOMPARE(rows(first, "SELECT COUNT(*), MIN(BANK_NUM), MAX(BANK_NUM), MAX(TRUNK_CODE) FROM BANKTYPES"),
                     QStringList{"20 1 20 0"});
            QCOMPARE(rows(first, "SELECT group_concat(TRUNK_CODE, ' ') FROM TrunkTypes"),
                     QStringList{"0 1 2 3 4 5 6 7"});
            QVERIFY(first.exec("DELETE FROM TrunkTypes"));
            QVERIFY(first.exec("UPDATE BANKTYPES SET TRUNK_CODE = 2 WHERE BANK_NUM = ?", {3}));
            QVERIFY(first.exec("DROP TABLE OrvFreqs"));
        }
        QVERIFY(QFile::exists(b.dir.filePath("Data/ValdoriaPro.mdb")));
        // The installation's own (even empty) type list is not refilled; the last-search table comes back.
        QCOMPARE(
            rows(b.db, "Select (select count(*) from TrunkTypes), TRUNK_CODE from BANKTYPES where [BANK_NUM]=?", {3}),
            QStringList{"0 2"});
        QCOMPARE(rows(b.db, "SELECT group_concat(name, ' ') FROM pragma_table_info('OrvFreqs')"),
                 QStringList{"FREQUENCY SFREQ CALLSIGN RS COMPANY_NAME CITY COUNTY STATE ALPHA_TAG"});
        QCOMPARE(b.prompter.count("inform"), 0);
    }

    void statements_findTheirRows_unknownNamesRefusedBeforeReachingTheFile() {
        Bench b;
        QVERIFY(b.db.insertRow("bank07", {{"Channel", 301}, {"[company_name]", "CITY PD"}, {"FREQUENCY", "154.2500"}}));
        // Names in any case or brackets; FREQUENCY compared as a number; a yes/no column left out reads 0, not null.
        QCOMPARE(rows(b.db, "Select [CHANNEL], [COMPANY_NAME], priority from [BANK07] where FREQUENCY=154.25"),
                 QStringList{"301 CITY PD 0"});
        QCOMPARE(rows(b.db, "Select distinct [BACKUP_SET] from BACKUP_CHANNELS"), QStringList{});
        const int before = b.db.statementCount();
        QVERIFY(!b.db.insertRow("BANK21", {{"CHANNEL", 1}}));
        QVERIFY(!b.db.insertRow("BANK01", {{"CHANNEL) VALUES (1); DROP TABLE BANK01; --", 1}}));
        QVERIFY(!b.db.findBankChannel(21, 1).ok);
        QVERIFY(!b.db.findBankChannel(0, 1).ok);
        QCOMPARE(b.db.statementCount(), before);
    }

    void hostileText_storedAndFoundAsTyped() {
        // Concatenated into the statement, this id would match every row.
        const QString id = QStringLiteral("' OR '1'='1");
        Bench b;
        QVERIFY(b.add("1234", "Elm"));
        QVERIFY(b.db.addTalkgroup({id, "Oak", "Police", id, {}, QDate(2001, 2, 15), QTime(15, 4, 5)}));
        const RowLookup found = b.db.findTalkgroup(id);
        QVERIFY(found.ok && found.row);
        // Every column in its place: ID CITY SERVICE_DESC ALPHA_TAG NOTES DATE TIME.
        QCOMPARE(text(*found.row), id + " Oak Police " + id + "  2001-02-15 15:04:05");
        QVERIFY(!b.db.findTalkgroup("'").row);
    }

    void unusableFile_oneMessageNamingTheFile_data() {
        QTest::addColumn<bool>("corrupt");
        QTest::newRow("garbage in the file") << true;
        QTest::newRow("file marked read-only") << false;
    }

    void unusableFile_oneMessageNamingTheFile() {
        QFETCH(bool, corrupt);
        Bench b;
        {
            ScriptedPrompter quiet;
            QVERIFY(LocalDatabase(b.path, quiet).addTalkgroup({"1", {}, {}, {}, {}, {}, {}}));
        }
        QFile file(b.path);
        if (corrupt)
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(QByteArray(8192, 'g')) > 0);
        else
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        file.close();
        QVERIFY(!b.db.open());
        QVERIFY(!b.db.findTalkgroup("1").ok);
        QVERIFY(!b.add("2"));
        QCOMPARE(b.prompter.count("inform"), 1);
        const ScriptedPrompter::Call& told = b.prompter.calls().first();
        QVERIFY2(told.icon == Prompter::Icon::Critical && told.text.contains(QDir::toNativeSeparators(b.path)),
                 qPrintable(told.text));
    }

    void lockedByAnotherProgram_costsAMoment_rowsFollowInOrderWhenFree() {
        Bench b;
        OtherProgram other(b.path);
        // A file another program has just made and still holds: the tables cannot be added yet, the next use opens.
        QVERIFY(!b.db.open());
        QVERIFY(other.db.commit());
        QVERIFY(b.add("1"));
        other.hold();
        QElapsedTimer held;
        held.start();
        QVERIFY(b.add("2"));
        QVERIFY(b.db.insertRow("talkgroups", {{"ID", "3"}}));
        QVERIFY(b.add("4"));
        // Well under the 5 s a default busy wait takes, per row.
        QVERIFY2(held.elapsed() < 2000, qPrintable(QString::number(held.elapsed())));
        QCOMPARE(b.talkgroupIds(), QStringLiteral("1"));
        // A talkgroup waiting to be written is found, so hearing it again does not add it twice.
        QVERIFY(b.db.findTalkgroup("4").row);
        QVERIFY(other.db.commit());
        QTRY_COMPARE_WITH_TIMEOUT(b.talkgroupIds(), QStringLiteral("1 2 3 4"), 10000);
        QCOMPARE(b.prompter.count("inform"), 0);
        const QStringList lockedThenFree{"Local database: locked by another program; changes wait until it is free",
                                         "Local database: free again"};
        QCOMPARE(b.said, lockedThenFree + lockedThenFree);
    }

    void fullFile_talkgroupNotStored_saidOnceAndWhenAddedAgain() {
        Bench b;
        // The file may not grow: a talkgroup that needs more room fails as on a full disk.
        QVERIFY(b.db.exec("PRAGMA max_page_count = " + rows(b.db, "PRAGMA page_count").value(0)));
        const QString wide(20000, 'x');
        QVERIFY(!b.add("1", wide));
        QVERIFY(!b.add("2", wide));
        QVERIFY(b.db.exec("PRAGMA max_page_count = 1000000"));
        QVERIFY(b.add("3", wide));
        QCOMPARE(b.talkgroupIds(), QStringLiteral("3"));
        QCOMPARE(b.said,
                 (QStringList{"Talkgroups: the local database cannot store them; new talkgroups are not being added",
                              "Talkgroups: new talkgroups are being added again"}));
    }

    // A set goes out as CHIRP's layout, CHIRP's reader takes it, and the file CHIRP writes back (with a
    // column more) imports as the same rows.
    void channelSet_roundTripAndChirpReadsIt() {
        Bench d;
        BackupSets sets(d.db);
        QVERIFY(sets.storeChannel(QStringLiteral("Home"), channel(12, 154.25, "DISPATCH", "CITY, \"NORTH\" PD", true)));
        QVERIFY(sets.storeChannel(QStringLiteral("Home"), channel(13, 0.0, "", "", true)));
        QVERIFY(sets.storeChannel(QStringLiteral("Home"), channel(1000, 851.0125, "TAC 2", "", false)));
        const QString path = d.file(QStringLiteral("home.csv"));
        const CsvReport out = ChannelCsv::exportSet(d.db, QStringLiteral("Home"), path);
        QVERIFY2(out.ok, qPrintable(out.error));
        QCOMPARE(out.written, 2);

        QProcess chirp;
        chirp.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import sys
from chirp.drivers import generic_csv
radio = generic_csv.CSVRadio(None)
radio._blank()
with open(sys.argv[1], newline='') as f:
    radio._load(f)
for n in (12, 1000):
    m = radio.get_memory(n)
    print(m.number, m.freq, m.name, m.skip, m.comment, m.mode, sep='|')
print(len(radio.errors))
radio.save(sys.argv[2])
)"),
                                                         path, d.file(QStringLiteral("chirp.csv"))});
        QVERIFY(chirp.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(chirp.readAllStandardOutput()),
                 QStringLiteral("12|154250000|DISPATCH|S|CITY, \"NORTH\" PD|FM\n1000|851012500|TAC 2||"
                                "|FM\n0\n"));

        const CsvReport in = ChannelCsv::importSet(d.db, d.file(QStringLiteral("chirp.csv")), QStringLiteral("Copy"));
        QVERIFY2(in.ok, qPrintable(in.error));
        QCOMPARE(in.added, 2);
        const auto copy = sets.channels(QStringLiteral("Copy"));
        QVERIFY(copy && copy->size() == 2);
        QCOMPARE(copy->first().names.value(QStringLiteral("COMPANY_NAME")).toString(), "CITY, \"NORTH\" PD");
        QCOMPARE(copy->first().lockout, true);
        QCOMPARE(copy->last().frequency, 851.0125);
        QCOMPARE(ChannelCsv::importSet(d.db, path, QStringLiteral("Copy")).updated, 2);
    }

    // A RadioReference-style file: BOM, CR LF, quoted commas, columns in its order plus one more.
    void talkgroups_addAndUpdateById() {
        Bench d;
        QVERIFY(d.db.addTalkgroup({"2512", "Unknown", "Unknown", "Added by Valdoria", {}, {}, {}}));
        const QString path = d.file(QStringLiteral("rr.csv"),
                                    "\xEF\xBB\xBF"
                                    "Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category,Priority\r\n"
                                    "2512,9d0,PD Disp,A,\"Police Dispatch, North\",Law Dispatch,Springfield,1\r\n"
                                    "2544,9f0,FD Disp,D,Fire Dispatch,Fire Dispatch,Springfield,2\r\n");
        const CsvReport in = TalkgroupCsv::importTable(d.db, path);
        QVERIFY2(in.ok, qPrintable(in.error));
        QCOMPARE(in.summary(), QStringLiteral("1 added, 1 updated"));
        QCOMPARE(rows(d.db, "SELECT SERVICE_DESC, CITY FROM TALKGROUPS WHERE ID = '2512'"),
                 QStringList{"Police Dispatch, North Springfield"});

        const QString back = d.file(QStringLiteral("back.csv"));
        QVERIFY(TalkgroupCsv::exportTable(d.db, back).ok);
        QFile f(back);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category\r\n"
                                         "2512,9d0,PD Disp,A,\"Police Dispatch, North\",Law Dispatch,Springfield\r\n"
                                         "2544,9f0,FD Disp,A,Fire Dispatch,Fire Dispatch,Springfield\r\n"));
    }

    // Each row costs one statement, whatever the table holds: no lookup per row (the table has no key, so a
    // lookup by ID reads every row, and 100,000 talkgroups took minutes). A talkgroup stored twice is
    // updated in both rows.
    void talkgroups_oneStatementPerRow_everyCopyUpdated() {
        Bench d;
        for (const char* id : {"2512", "2512", "7"})
            QVERIFY(d.db.addTalkgroup({QLatin1String(id), {}, {}, QStringLiteral("old"), {}, {}, {}}));
        QByteArray text = "Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category\n2512,9d0,PD,A,B,C,D\n";
        for (int id = 3000; id < 3200; ++id)
            text += QByteArray::number(id) + ",,TG,A,,,\n";
        const QString path = d.file(QStringLiteral("many.csv"), text);
        const int before = d.db.statementCount();
        const CsvReport in = TalkgroupCsv::importTable(d.db, path);
        QVERIFY2(in.ok, qPrintable(in.error));
        QCOMPARE(in.summary(), QStringLiteral("200 added, 1 updated"));
        // One read of the table, then 202 rows written (2512 twice).
        QCOMPARE(d.db.statementCount() - before, 1 + 202);
        QCOMPARE(rows(d.db, "SELECT ALPHA_TAG FROM TALKGROUPS WHERE ID IN ('2512', '7') ORDER BY ALPHA_TAG"),
                 (QStringList{"PD", "PD", "old"}));
    }

    // A file saved by an older spreadsheet in the Windows code page keeps its accents and quotes.
    void talkgroups_windowsCodePageIsReadAsSuch() {
        Bench d;
        const QString path =
            d.file(QStringLiteral("cp1252.csv"), "Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category\r\n"
                                                 "2512,9d0,Caf\xE9 \x93North\x94,A,Fire \x96 EMS,Fire,Montr\xE9"
                                                 "al\r\n");
        const CsvReport in = TalkgroupCsv::importTable(d.db, path);
        QVERIFY2(in.ok, qPrintable(in.error));
        // ALPHA_TAG, SERVICE_DESC and CITY.
        QCOMPARE(rows(d.db, "SELECT ALPHA_TAG, SERVICE_DESC, CITY FROM TALKGROUPS WHERE ID = '2512'"),
                 QStringList{QString::fromUtf8("Café “North” Fire – EMS Montréal")});
    }

    void badFile_refusedWithLineAndNothingWritten_data() {
        QTest::addColumn<bool>("talkgroups");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const QByteArray chirp = "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                                 "Mode,TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL\n"
                                 "1,A,154.250000,,0.0,,88.5,88.5,023,NN,FM,5.00,,,,,\n";
        const QByteArray tail = ",,0.0,,88.5,88.5,023,NN,FM,5.00,,,,,\n";
        const QByteArray rr = "Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category\n2512,9d0,A,A,B,C,D\n";
        QTest::newRow("channels: wrong header")
            << false << QByteArray("Channel,Freq\n1,154.25\n") << "line 1: the header has no column \"Location\"";
        QTest::newRow("channels: frequency not a number")
            << false << chirp + "2,B,154.2x" + tail << "line 3: the frequency \"154.2x\"";
        QTest::newRow("channels: channel out of range")
            << false << chirp + "1001,B,154.25" + tail << "line 3: channel \"1001\" is not a channel 1 to 1000";
        QTest::newRow("channels: channel twice")
            << false << chirp + "1,B,155.25" + tail << "line 3: channel 1 is already on line 2";
        QTest::newRow("channels: a quote never closed")
            << false << chirp + "2,\"B,155.25" + tail << "line 3: a quote that is never closed";
        QTest::newRow("channels: text after a closing quote")
            << false << chirp + "2,\"B\"x,155.25" + tail << "line 3: text after a closing quote";
        QTest::newRow("talkgroups: wrong header")
            << true << QByteArray("ID,Name\n1,A\n") << "line 1: the header has no column \"Decimal\"";
        QTest::newRow("talkgroups: ID not a number") << true << rr + "12-3,,A,A,B,C,D\n"
                                                     << "line 3: the talkgroup ID \"12-3\" is not a whole number";
        QTest::newRow("talkgroups: short row") << true << rr + "2600,9d0\n"
                                               << "line 3: 2 fields, the header has 7";
        QTest::newRow("channels: a NUL in a quoted name on its second line")
            << false << chirp + "2,\"B\n" + QByteArray(1, '\0') + "\",155.25" + tail << "line 4: a NUL character";
    }
    void badFile_refusedWithLineAndNothingWritten() {
        QFETCH(bool, talkgroups);
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        Bench d;
        const QString path = d.file(QStringLiteral("bad.csv"), text);
        const CsvReport report = talkgroups ? TalkgroupCsv::importTable(d.db, path)
                                            : ChannelCsv::importSet(d.db, path, QStringLiteral("Bad"));
        QVERIFY(!report.ok);
        QVERIFY2(report.error.contains(error), qPrintable(report.error));
        // The good rows before the bad line are not written either.
        QCOMPARE(d.db.rowCount(talkgroups ? QStringLiteral("TALKGROUPS") : QStringLiteral("BACKUP_CHANNELS")), 0);
    }
};

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "test_localdatabase.moc"
