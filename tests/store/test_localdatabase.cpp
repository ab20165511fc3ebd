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
struct Bench {
    QTemporaryDir dir;
    QString path = LocalDatabase::pathForAppFolder(dir.path());
    ScriptedPrompter prompter;
    LocalDatabase db{path, prompter};

    QStringList said;

    Bench() {
        QObject::connect(&db, &LocalDatabase::statusLine, [this](const QString& text) { said << text; });
    }
    QString talkgroupIds() {
        const auto rows = db.select("SELECT ID FROM TALKGROUPS ORDER BY rowid");
        QStringList ids;
        for (const QSqlRecord& r : rows.value_or(QList<QSqlRecord>{}))
            ids << r.value(0).toString();
        return ids.join(' ');
    }
};

// Another program on the same file holding a write transaction, as an sqlite3 shell after BEGIN IMMEDIATE.
struct OtherProgram {
    QSqlDatabase db;
    explicit OtherProgram(const QString& path) {
        db = QSqlDatabase::addDatabase("QSQLITE", "other program");
        db.setDatabaseName(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) && db.open());
        QSqlQuery q(db);
        QVERIFY2(q.exec("BEGIN IMMEDIATE") && q.exec("CREATE TABLE IF NOT EXISTS other_notes (n TEXT)"),
                 qPrintable(q.lastError().text()));
    }
    void release() { QVERIFY(db.commit()); }
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
    void newFile_tableHasItsColumns_data();
    void newFile_tableHasItsColumns();
    void missingFile_createdWithEveryTableAndInstallationRows();
    void namesInAnyCaseOrBrackets_reachTheSameTableAndColumn();
    void statementForm_findsItsRows_data();
    void statementForm_findsItsRows();
    void hostileText_storedAndFoundAsTyped();
    void unknownTableOrColumn_refusedBeforeReachingTheFile();
    void unusableFile_oneMessageNamingTheFile_data();
    void unusableFile_oneMessageNamingTheFile();
    void existingFile_keepsItsRowsAndGainsMissingTables();
    void lockedByAnotherProgram_writesReturnAtOnce_rowsFollowInOrderWhenFree();
    void lockedAtOpen_nextUseOpens();
    void fullFile_talkgroupNotStored_saidOnceAndWhenAddedAgain();
};

void TestLocalDatabase::newFile_tableHasItsColumns_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    const QString bank =
        QStringLiteral("CHANNEL sFREQ FREQUENCY TRUNKED DELAY LOCKOUT PRIORITY CALLSIGN COMPANY_NAME RS "
                       "CITY STATE COUNTY LATITUDE LONGITUDE ALPHA_TAG");
    QTest::newRow("first bank") << "BANK01" << bank;
    QTest::newRow("channel backups") << "BACKUP_CHANNELS" << bank + " BACKUP_SET";
    QTest::newRow("talkgroup backups") << "BACKUP_TALKGROUPS"
                                       << "BACKUP_SET ID CITY SERVICE_DESC ALPHA_TAG DATE TIME";
    QTest::newRow("talkgroups") << "TALKGROUPS"
                                << "ID CITY SERVICE_DESC ALPHA_TAG NOTES DATE TIME";
    QTest::newRow("bank types") << "BANKTYPES"
                                << "BANK_NUM Trunk_Type TRUNK_CODE";
    QTest::newRow("trunk types") << "TrunkTypes"
                                 << "Trunk_Type TRUNK_CODE";
    QTest::newRow("last search") << "OrvFreqs"
                                 << "FREQUENCY SFREQ CALLSIGN RS COMPANY_NAME CITY COUNTY STATE ALPHA_TAG";
}

void TestLocalDatabase::newFile_tableHasItsColumns() {
    QFETCH(QString, table);
    QFETCH(QString, columns);
    Bench b;
    QVERIFY(b.db.open());
    const QSqlRecord record = b.db.database().record(table);
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    QCOMPARE(names.join(QLatin1Char(' ')), columns);
}

void TestLocalDatabase::missingFile_createdWithEveryTableAndInstallationRows() {
    Bench b;
    QVERIFY(b.db.open());
    QVERIFY(QFile::exists(b.dir.filePath("Data/ValdoriaPro.mdb")));
    const auto banks = b.db.select("SELECT BANK_NUM FROM BANKTYPES ORDER BY BANK_NUM");
    QVERIFY(banks && banks->size() == 20);
    QCOMPARE(banks->first().value(0).toInt(), 1);
    QCOMPARE(banks->last().value(0).toInt(), 20);
    const auto types = b.db.select("Select * from TrunkTypes");
    QVERIFY(types && types->size() >= 2);
    for (int i = 0; i < types->size(); ++i)
        QCOMPARE(types->at(i).value("TRUNK_CODE").toInt(), i);
    QCOMPARE(b.prompter.count("inform"), 0);
}

void TestLocalDatabase::namesInAnyCaseOrBrackets_reachTheSameTableAndColumn() {
    Bench b;
    QVERIFY(b.db.insertRow("bank07", {{"Channel", 301}, {"[company_name]", "CITY PD"}}));
    const auto rows =
        b.db.select("Select [CHANNEL], [COMPANY_NAME], priority from [BANK07] where [Channel] = ?", {301});
    QVERIFY(rows && rows->size() == 1);
    QCOMPARE(rows->first().value(1).toString(), QStringLiteral("CITY PD"));
    // A yes/no column left out reads back false, not null.
    QVERIFY(!rows->first().value(2).isNull());
    QCOMPARE(rows->first().value(2).toBool(), false);
}

void TestLocalDatabase::statementForm_findsItsRows_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("rows");
    QTest::newRow("bank FREQUENCY compared as a number")
        << "INSERT INTO BANK01 (CHANNEL, sFREQ, FREQUENCY) VALUES (1, '154.5000', '154.2500')"
        << "Select * from BANK01 where FREQUENCY=154.25" << 1;
    QTest::newRow("distinct over empty backups") << ""
                                                 << "Select distinct [BACKUP_SET] from BACKUP_CHANNELS" << 0;
}

void TestLocalDatabase::statementForm_findsItsRows() {
    QFETCH(QString, setup);
    QFETCH(QString, query);
    QFETCH(int, rows);
    Bench b;
    QVERIFY(setup.isEmpty() || b.db.exec(setup));
    const auto found = b.db.select(query);
    QVERIFY(found);
    QCOMPARE(found->size(), rows);
}

void TestLocalDatabase::hostileText_storedAndFoundAsTyped() {
    // Concatenated into the statement, this id would match every row.
    const QString id = QStringLiteral("' OR '1'='1");
    Bench b;
    QVERIFY(b.db.addTalkgroup({"1234", "Elm", "Fire", "Other", {}, QDate(2001, 2, 15), QTime(15, 4, 5)}));
    QVERIFY(b.db.addTalkgroup({id, "Oak", "Police", id, {}, QDate(2001, 2, 15), QTime(15, 4, 5)}));
    const RowLookup found = b.db.findTalkgroup(id);
    QVERIFY(found.ok && found.row);
    QCOMPARE(found.row->value("ID").toString(), id);
    QCOMPARE(found.row->value("ALPHA_TAG").toString(), id);
    QCOMPARE(found.row->value("DATE").toString(), QStringLiteral("2001-02-15"));
    QCOMPARE(found.row->value("TIME").toString(), QStringLiteral("15:04:05"));
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 2);
    QVERIFY(!b.db.findTalkgroup("'").row);
}

void TestLocalDatabase::unknownTableOrColumn_refusedBeforeReachingTheFile() {
    Bench b;
    QVERIFY(b.db.open());
    const int before = b.db.statementCount();
    QVERIFY(!b.db.insertRow("BANK21", {{"CHANNEL", 1}}));
    QVERIFY(!b.db.insertRow("BANK01", {{"CHANNEL) VALUES (1); DROP TABLE BANK01; --", 1}}));
    QVERIFY(!b.db.findBankChannel(21, 1).ok);
    QVERIFY(!b.db.findBankChannel(0, 1).ok);
    QCOMPARE(b.db.statementCount(), before);
}

void TestLocalDatabase::unusableFile_oneMessageNamingTheFile_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("garbage in the file") << "corrupt";
    QTest::newRow("file marked read-only") << "readonly";
}

void TestLocalDatabase::unusableFile_oneMessageNamingTheFile() {
    QFETCH(QString, damage);
    Bench b;
    {
        ScriptedPrompter quiet;
        LocalDatabase first(b.path, quiet);
        QVERIFY(first.addTalkgroup({"1", {}, {}, {}, {}, {}, {}}));
    }
    QFile file(b.path);
    if (damage == "corrupt")
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(QByteArray(8192, 'g')) > 0);
    else
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    file.close();
    QVERIFY(!b.db.open());
    QVERIFY(!b.db.findTalkgroup("1").ok);
    QVERIFY(!b.db.addTalkgroup({"2", {}, {}, {}, {}, {}, {}}));
    QCOMPARE(b.prompter.count("inform"), 1);
    QCOMPARE(b.prompter.calls().first().icon, Prompter::Icon::Critical);
    QVERIFY2(b.prompter.calls().first().text.contains(QDir::toNativeSeparators(b.path)),
             qPrintable(b.prompter.calls().first().text));
}

void TestLocalDatabase::existingFile_keepsItsRowsAndGainsMissingTables() {
    Bench b;
    {
        LocalDatabase first(b.path, b.prompter);
        QVERIFY(first.exec("DELETE FROM TrunkTypes"));
        QVERIFY(first.exec("UPDATE BANKTYPES SET TRUNK_CODE = 2 WHERE BANK_NUM = ?", {3}));
        QVERIFY(first.exec("DROP TABLE OrvFreqs"));
    }
    // An installation's own (even empty) type list is not refilled.
    QCOMPARE(b.db.rowCount("TrunkTypes"), 0);
    const auto bank3 = b.db.select("Select * from BANKTYPES where [BANK_NUM]=?", {3});
    QVERIFY(bank3 && bank3->size() == 1);
    QCOMPARE(bank3->first().value("TRUNK_CODE").toInt(), 2);
    QCOMPARE(b.db.rowCount("orvfreqs"), 0);
    QCOMPARE(b.prompter.count("inform"), 0);
}

void TestLocalDatabase::lockedByAnotherProgram_writesReturnAtOnce_rowsFollowInOrderWhenFree() {
    Bench b;
    QVERIFY(b.db.addTalkgroup({"1", {}, {}, {}, {}, {}, {}}));
    OtherProgram other(b.path);
    QElapsedTimer held;
    held.start();
    QVERIFY(b.db.addTalkgroup({"2", {}, {}, {}, {}, {}, {}}));
    QVERIFY(b.db.insertRow("talkgroups", {{"ID", "3"}}));
    QVERIFY(b.db.addTalkgroup({"4", {}, {}, {}, {}, {}, {}}));
    // Well under the 5 s a default busy wait takes, per row.
    QVERIFY2(held.elapsed() < 2000, qPrintable(QString::number(held.elapsed())));
    QCOMPARE(b.talkgroupIds(), QStringLiteral("1"));
    // A talkgroup waiting to be written is found, so hearing it again does not add it twice.
    QVERIFY(b.db.findTalkgroup("4").row);
    other.release();
    QTRY_COMPARE_WITH_TIMEOUT(b.talkgroupIds(), QStringLiteral("1 2 3 4"), 10000);
    QCOMPARE(b.prompter.count("inform"), 0);
    QCOMPARE(b.said, (QStringList{"Local database: locked by another program; changes wait until it is free",
                                  "Local database: free again"}));
}

void TestLocalDatabase::lockedAtOpen_nextUseOpens() {
    Bench b;
    {
        // A file another program has just made and still holds: the tables cannot be added yet.
        OtherProgram other(b.path);
        QVERIFY(!b.db.open());
        other.release();
    }
    QVERIFY(b.db.findTalkgroup("1").ok);
    QCOMPARE(b.prompter.count("inform"), 0);
}

void TestLocalDatabase::fullFile_talkgroupNotStored_saidOnceAndWhenAddedAgain() {
    Bench b;
    const auto pages = b.db.select("PRAGMA page_count");
    QVERIFY(pages && !pages->isEmpty());
    // The file may not grow: a talkgroup that needs more room fails as on a full disk.
    QVERIFY(b.db.exec("PRAGMA max_page_count = " + pages->first().value(0).toString()));
    const QString wide(20000, 'x');
    QVERIFY(!b.db.addTalkgroup({"1", wide, {}, {}, {}, {}, {}}));
    QVERIFY(!b.db.addTalkgroup({"2", wide, {}, {}, {}, {}, {}}));
    QVERIFY(b.db.exec("PRAGMA max_page_count = 1000000"));
    QVERIFY(b.db.addTalkgroup({"3", wide, {}, {}, {}, {}, {}}));
    QCOMPARE(b.said,
             (QStringList{"Talkgroups: the local database cannot store them; new talkgroups are not being added",
                          "Talkgroups: new talkgroups are being added again"}));
}

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "test_localdatabase.moc"
