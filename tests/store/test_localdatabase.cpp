#include "ScriptedPrompter.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

    void statements_findTheirRows() {
        Bench b;
        QVERIFY(b.db.insertRow("bank07", {{"Channel", 301}, {"[company_name]", "CITY PD"}, {"FREQUENCY", "154.2500"}}));
        // Names in any case or brackets; FREQUENCY compared as a number; a yes/no column left out reads 0, not null.
        QCOMPARE(rows(b.db, "Select [CHANNEL], [COMPANY_NAME], priority from [BANK07] where FREQUENCY=154.25"),
                 QStringList{"301 CITY PD 0"});
        QCOMPARE(rows(b.db, "Select distinct [BACKUP_SET] from BACKUP_CHANNELS"), QStringList{});
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

    void unknownTableOrColumn_refusedBeforeReachingTheFile() {
        Bench b;
        QVERIFY(b.db.open());
        const int before = b.db.statementCount();
        QVERIFY(!b.db.insertRow("BANK21", {{"CHANNEL", 1}}));
        QVERIFY(!b.db.insertRow("BANK01", {{"CHANNEL) VALUES (1); DROP TABLE BANK01; --", 1}}));
        QVERIFY(!b.db.findBankChannel(21, 1).ok);
        QVERIFY(!b.db.findBankChannel(0, 1).ok);
        QCOMPARE(b.db.statementCount(), before);
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
};

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "test_localdatabase.moc"
