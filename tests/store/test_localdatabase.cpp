#include "ScriptedPrompter.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

class TestLocalDatabase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingFile_createdWithEveryTableAndInstallationRows();
    void namesInAnyCaseOrBrackets_reachTheSameTableAndColumn_data();
    void namesInAnyCaseOrBrackets_reachTheSameTableAndColumn();
    void hostileText_storedAndFoundAsTyped_data();
    void hostileText_storedAndFoundAsTyped();
    void unknownTableOrColumn_refusedBeforeReachingTheFile_data();
    void unknownTableOrColumn_refusedBeforeReachingTheFile();
    void unusableFile_oneMessageNamingTheFile_data();
    void unusableFile_oneMessageNamingTheFile();
    void existingFile_keepsItsRowsAndGainsMissingTables();
};

void TestLocalDatabase::missingFile_createdWithEveryTableAndInstallationRows() {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(LocalDatabase::pathForAppFolder(dir.path()), prompter);
    QVERIFY(db.open());
    QVERIFY(QFile::exists(dir.filePath("Data/ValdoriaPro.mdb")));
    QCOMPARE(LocalDatabase::tableNames().size(), 26);
    for (const QString& table : LocalDatabase::tableNames()) {
        const QSqlRecord record = db.database().record(table);
        QStringList want;
        for (const auto& c : LocalDatabase::columns(table))
            want.append(QLatin1String(c.name));
        QVERIFY2(!want.isEmpty() && record.count() == want.size(), qPrintable(table));
        for (int i = 0; i < want.size(); ++i)
            QCOMPARE(record.fieldName(i), want.at(i));
    }
    const auto banks = db.select("SELECT BANK_NUM FROM BANKTYPES ORDER BY BANK_NUM");
    QVERIFY(banks && banks->size() == 20);
    QCOMPARE(banks->last().value(0).toInt(), 20);
    const auto types = db.select("Select * from TrunkTypes");
    QVERIFY(types && types->size() >= 2);
    for (int i = 0; i < types->size(); ++i)
        QCOMPARE(types->at(i).value("TRUNK_CODE").toInt(), i);
    QCOMPARE(prompter.count("inform"), 0);
}

void TestLocalDatabase::namesInAnyCaseOrBrackets_reachTheSameTableAndColumn_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("upper") << "SELECT CHANNEL, COMPANY_NAME, PRIORITY FROM BANK07 WHERE CHANNEL = ?";
    QTest::newRow("lower") << "select channel, company_name, priority from bank07 where channel = ?";
    QTest::newRow("mixed") << "Select Channel, Company_Name, Priority from Bank07 where Channel = ?";
    QTest::newRow("bracketed") << "Select [CHANNEL], [COMPANY_NAME], [PRIORITY] from [BANK07] where [Channel] = ?";
}

void TestLocalDatabase::namesInAnyCaseOrBrackets_reachTheSameTableAndColumn() {
    QFETCH(QString, sql);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(LocalDatabase::pathForAppFolder(dir.path()), prompter);
    QVERIFY(db.insertRow("bank07", {{"Channel", 301}, {"[company_name]", "CITY PD"}}));
    const auto rows = db.select(sql, {301});
    QVERIFY(rows && rows->size() == 1);
    QCOMPARE(rows->first().value(1).toString(), QStringLiteral("CITY PD"));
    // A yes/no column left out reads back false, not null.
    QVERIFY(!rows->first().value(2).isNull());
    QCOMPARE(rows->first().value(2).toBool(), false);
}

void TestLocalDatabase::hostileText_storedAndFoundAsTyped_data() {
    QTest::addColumn<QString>("id");
    QTest::newRow("apostrophe") << "O'Brien";
    QTest::newRow("statement in a name") << "x'; DROP TABLE TALKGROUPS; --";
    QTest::newRow("always-true condition") << "' OR '1'='1";
    QTest::newRow("double quotes and brackets") << "\"[ID]\"";
}

void TestLocalDatabase::hostileText_storedAndFoundAsTyped() {
    QFETCH(QString, id);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(LocalDatabase::pathForAppFolder(dir.path()), prompter);
    QVERIFY(db.addTalkgroup({"1234", "Elm", "Fire", "Other", {}, QDate(2001, 2, 15), QTime(15, 4, 5)}));
    QVERIFY(db.addTalkgroup({id, "Oak", "Police", id, {}, QDate(2001, 2, 15), QTime(15, 4, 5)}));

    const RowLookup found = db.findTalkgroup(id);
    QVERIFY(found.ok && found.row);
    QCOMPARE(found.row->value("ID").toString(), id);
    QCOMPARE(found.row->value("ALPHA_TAG").toString(), id);
    QCOMPARE(found.row->value("DATE").toString(), QStringLiteral("2001-02-15"));
    QCOMPARE(found.row->value("TIME").toString(), QStringLiteral("15:04:05"));
    QCOMPARE(db.rowCount("TALKGROUPS"), 2);
    QVERIFY(!db.findTalkgroup("O").row);
}

void TestLocalDatabase::unknownTableOrColumn_refusedBeforeReachingTheFile_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("bank 21") << "BANK21"
                             << "CHANNEL";
    QTest::newRow("table name carrying a statement") << "BANK01; DROP TABLE TALKGROUPS"
                                                     << "CHANNEL";
    QTest::newRow("column carrying a statement") << "BANK01"
                                                 << "CHANNEL) VALUES (1); DROP TABLE TALKGROUPS; --";
}

void TestLocalDatabase::unknownTableOrColumn_refusedBeforeReachingTheFile() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(LocalDatabase::pathForAppFolder(dir.path()), prompter);
    QVERIFY(db.open());
    const int before = db.statementCount();
    QVERIFY(!db.insertRow(table, {{column, 1}}));
    QVERIFY(!db.findBankChannel(21, 1).ok);
    QVERIFY(!db.findBankChannel(0, 1).ok);
    QCOMPARE(db.statementCount(), before);
    QCOMPARE(db.rowCount("TALKGROUPS"), 0);
}

void TestLocalDatabase::unusableFile_oneMessageNamingTheFile_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("garbage in the file") << "corrupt";
    QTest::newRow("file marked read-only") << "readonly";
    QTest::newRow("Data is a file, folder cannot be made") << "nofolder";
    QTest::newRow("path is a folder") << "folder";
}

void TestLocalDatabase::unusableFile_oneMessageNamingTheFile() {
    QFETCH(QString, damage);
    QTemporaryDir dir;
    const QString path = LocalDatabase::pathForAppFolder(dir.path());
    if (damage == "nofolder") {
        QFile data(dir.filePath("Data"));
        QVERIFY(data.open(QIODevice::WriteOnly));
    } else if (damage == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else {
        {
            ScriptedPrompter first;
            LocalDatabase healthy(path, first);
            QVERIFY(healthy.addTalkgroup({"1", {}, {}, {}, {}, {}, {}}));
        }
        if (damage == "corrupt") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(8192, 'g'));
        } else {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
    }

    ScriptedPrompter prompter;
    LocalDatabase db(path, prompter);
    QVERIFY(!db.open());
    QVERIFY(!db.findTalkgroup("1").ok);
    QVERIFY(!db.findBankChannel(1, 1).ok);
    QVERIFY(!db.addTalkgroup({"2", {}, {}, {}, {}, {}, {}}));
    QCOMPARE(prompter.count("inform"), 1);
    QCOMPARE(prompter.calls().first().icon, Prompter::Icon::Critical);
    QVERIFY2(prompter.calls().first().text.contains(QDir::toNativeSeparators(path)),
             qPrintable(prompter.calls().first().text));
}

void TestLocalDatabase::existingFile_keepsItsRowsAndGainsMissingTables() {
    QTemporaryDir dir;
    const QString path = LocalDatabase::pathForAppFolder(dir.path());
    {
        ScriptedPrompter prompter;
        LocalDatabase db(path, prompter);
        QVERIFY(db.exec("DELETE FROM TrunkTypes"));
        QVERIFY(db.exec("UPDATE BANKTYPES SET TRUNK_CODE = 2 WHERE BANK_NUM = ?", {3}));
        QVERIFY(db.exec("DROP TABLE OrvFreqs"));
    }
    ScriptedPrompter prompter;
    LocalDatabase db(path, prompter);
    // An installation's own (even empty) type list is not refilled.
    QCOMPARE(db.rowCount("TrunkTypes"), 0);
    const auto bank3 = db.select("Select * from BANKTYPES where [BANK_NUM]=?", {3});
    QVERIFY(bank3 && bank3->size() == 1);
    QCOMPARE(bank3->first().value("TRUNK_CODE").toInt(), 2);
    QCOMPARE(db.rowCount("orvfreqs"), 0);
    QCOMPARE(prompter.count("inform"), 0);
}

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "test_localdatabase.moc"
