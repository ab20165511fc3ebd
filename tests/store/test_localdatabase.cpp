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
    void missingFile_createsEveryTableAndColumn();
    void newFile_bankTypesHoldTwentyBanksAndTrunkTypesCountFromZero();
    void tableAndColumnNames_matchWithoutRegardToCase_data();
    void tableAndColumnNames_matchWithoutRegardToCase();
    void rowWithoutYesNoColumns_readsBackFalse();
    void hostileText_storedAndFoundAsTyped_data();
    void hostileText_storedAndFoundAsTyped();
    void unknownTableOrColumn_refusedWithoutTouchingTheFile_data();
    void unknownTableOrColumn_refusedWithoutTouchingTheFile();
    void unusableFile_oneMessageNamingTheFile_data();
    void unusableFile_oneMessageNamingTheFile();
    void existingFile_keepsItsRowsAndGainsMissingTables();
    void twoInstances_inOneProcessDoNotShareAConnection();
};

namespace {
QString dbIn(const QTemporaryDir& dir) {
    return LocalDatabase::pathForAppFolder(dir.path());
}
} // namespace

void TestLocalDatabase::missingFile_createsEveryTableAndColumn() {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(dbIn(dir), prompter);
    QVERIFY(db.open());
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Data/ValdoriaPro.mdb"))));
    QCOMPARE(prompter.count(QStringLiteral("inform")), 0);

    const QStringList tables = LocalDatabase::tableNames();
    QCOMPARE(tables.size(), 26);
    for (const QString& table : tables) {
        const auto rows = db.select(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(table));
        QVERIFY2(rows.has_value(), qPrintable(table));
        const QSqlRecord record = db.database().record(table);
        QStringList have;
        for (int i = 0; i < record.count(); ++i)
            have.append(record.fieldName(i));
        QStringList want;
        for (const auto& c : LocalDatabase::columns(table))
            want.append(QLatin1String(c.name));
        QCOMPARE(have, want);
    }
    QVERIFY(LocalDatabase::columns(QStringLiteral("BACKUP_CHANNELS")).size() == 17);
    QCOMPARE(LocalDatabase::knownColumn(QStringLiteral("BACKUP_CHANNELS"), QStringLiteral("backup_set")),
             QStringLiteral("BACKUP_SET"));
}

void TestLocalDatabase::newFile_bankTypesHoldTwentyBanksAndTrunkTypesCountFromZero() {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(dbIn(dir), prompter);
    const auto banks = db.select(QStringLiteral("SELECT BANK_NUM, TRUNK_CODE FROM BANKTYPES ORDER BY BANK_NUM"));
    QVERIFY(banks.has_value());
    QCOMPARE(banks->size(), 20);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(banks->at(i).value(0).toInt(), i + 1);

    const auto types = db.select(QStringLiteral("Select * from TrunkTypes"));
    QVERIFY(types.has_value());
    QVERIFY(types->size() >= 2);
    for (int i = 0; i < types->size(); ++i) {
        QCOMPARE(types->at(i).value(QStringLiteral("TRUNK_CODE")).toInt(), i);
        QVERIFY(!types->at(i).value(QStringLiteral("Trunk_Type")).toString().isEmpty());
    }
}

void TestLocalDatabase::tableAndColumnNames_matchWithoutRegardToCase_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("upper") << "SELECT CHANNEL, COMPANY_NAME FROM BANK07 WHERE CHANNEL = ?";
    QTest::newRow("lower") << "select channel, company_name from bank07 where channel = ?";
    QTest::newRow("mixed") << "Select Channel, Company_Name from Bank07 where Channel = ?";
    QTest::newRow("bracketed") << "Select [CHANNEL], [COMPANY_NAME] from [BANK07] where [Channel] = ?";
}

void TestLocalDatabase::tableAndColumnNames_matchWithoutRegardToCase() {
    QFETCH(QString, sql);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(dbIn(dir), prompter);
    QVERIFY(db.insertRow(QStringLiteral("bank07"), {{QStringLiteral("Channel"), 301},
                                                    {QStringLiteral("[company_name]"), QStringLiteral("CITY PD")}}));
    const auto rows = db.select(sql, {301});
    QVERIFY(rows.has_value());
    QCOMPARE(rows->size(), 1);
    QCOMPARE(rows->first().value(1).toString(), QStringLiteral("CITY PD"));
}

void TestLocalDatabase::rowWithoutYesNoColumns_readsBackFalse() {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(dbIn(dir), prompter);
    QVERIFY(db.insertRow(QStringLiteral("BACKUP_CHANNELS"),
                         {{QStringLiteral("BACKUP_SET"), QStringLiteral("OrvFreqs_Test")},
                          {QStringLiteral("CHANNEL"), 1},
                          {QStringLiteral("sFREQ"), QStringLiteral("0000.0000")}}));
    const auto rows = db.select(QStringLiteral("select * from BACKUP_CHANNELS where BACKUP_SET = ?"),
                                {QStringLiteral("OrvFreqs_Test")});
    QVERIFY(rows.has_value());
    QCOMPARE(rows->size(), 1);
    for (const char* column : {"TRUNKED", "DELAY", "LOCKOUT", "PRIORITY"}) {
        const QVariant v = rows->first().value(QLatin1String(column));
        QVERIFY2(!v.isNull(), column);
        QCOMPARE(v.toBool(), false);
    }
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
    LocalDatabase db(dbIn(dir), prompter);
    QVERIFY(db.addTalkgroup({QStringLiteral("1234"),
                             QStringLiteral("Elm"),
                             QStringLiteral("Fire"),
                             QStringLiteral("Other"),
                             {},
                             QDate(2001, 2, 15),
                             QTime(15, 4, 5)}));
    QVERIFY(db.addTalkgroup(
        {id, QStringLiteral("Oak"), QStringLiteral("Police"), id, {}, QDate(2001, 2, 15), QTime(15, 4, 5)}));

    const RowLookup found = db.findTalkgroup(id);
    QVERIFY(found.ok);
    QVERIFY(found.row.has_value());
    QCOMPARE(found.row->value(QStringLiteral("ID")).toString(), id);
    QCOMPARE(found.row->value(QStringLiteral("ALPHA_TAG")).toString(), id);
    QCOMPARE(found.row->value(QStringLiteral("DATE")).toString(), QStringLiteral("2001-02-15"));
    QCOMPARE(found.row->value(QStringLiteral("TIME")).toString(), QStringLiteral("15:04:05"));
    QCOMPARE(db.rowCount(QStringLiteral("TALKGROUPS")), 2);
    // The name matches only itself, never every row.
    QCOMPARE(db.findTalkgroup(QStringLiteral("O")).row.has_value(), false);
}

void TestLocalDatabase::unknownTableOrColumn_refusedWithoutTouchingTheFile_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("bank 21") << "BANK21"
                             << "CHANNEL";
    QTest::newRow("table name carrying a statement") << "BANK01; DROP TABLE TALKGROUPS"
                                                     << "CHANNEL";
    QTest::newRow("unknown column") << "BANK01"
                                    << "CHANNEL) VALUES (1); DROP TABLE TALKGROUPS; --";
}

void TestLocalDatabase::unknownTableOrColumn_refusedWithoutTouchingTheFile() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(dbIn(dir), prompter);
    QVERIFY(db.open());
    const int before = db.statementCount();
    QVERIFY(!db.insertRow(table, {{column, 1}}));
    QCOMPARE(db.statementCount(), before);
    QCOMPARE(db.rowCount(QStringLiteral("TALKGROUPS")), 0);
    QVERIFY(!db.findBankChannel(21, 1).ok);
    QVERIFY(!db.findBankChannel(0, 1).ok);
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
    const QString path = dbIn(dir);
    if (damage == QLatin1String("nofolder")) {
        QFile data(dir.filePath(QStringLiteral("Data")));
        QVERIFY(data.open(QIODevice::WriteOnly));
    } else if (damage == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        {
            ScriptedPrompter first;
            LocalDatabase healthy(path, first);
            QVERIFY(healthy.addTalkgroup({QStringLiteral("1"), {}, {}, {}, {}, {}, {}}));
        }
        if (damage == QLatin1String("corrupt")) {
            QFile::remove(path + QStringLiteral("-wal"));
            QFile::remove(path + QStringLiteral("-shm"));
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
    QVERIFY(!db.findTalkgroup(QStringLiteral("1")).ok);
    QVERIFY(!db.findBankChannel(1, 1).ok);
    QVERIFY(!db.addTalkgroup({QStringLiteral("2"), {}, {}, {}, {}, {}, {}}));
    QVERIFY(db.hasFailed());

    QCOMPARE(prompter.count(QStringLiteral("inform")), 1);
    const auto& call = prompter.calls().first();
    QCOMPARE(call.icon, Prompter::Icon::Critical);
    QVERIFY2(call.text.contains(QDir::toNativeSeparators(path)), qPrintable(call.text));
    if (damage == QLatin1String("readonly"))
        QCOMPARE(QFileInfo(path).permissions() & QFile::WriteOwner, QFile::Permissions());
}

void TestLocalDatabase::existingFile_keepsItsRowsAndGainsMissingTables() {
    QTemporaryDir dir;
    const QString path = dbIn(dir);
    {
        ScriptedPrompter prompter;
        LocalDatabase db(path, prompter);
        QVERIFY(db.exec(QStringLiteral("DELETE FROM TrunkTypes")));
        QVERIFY(db.exec(QStringLiteral("UPDATE BANKTYPES SET TRUNK_CODE = 2 WHERE BANK_NUM = ?"), {3}));
        QVERIFY(db.exec(QStringLiteral("DROP TABLE OrvFreqs")));
    }
    ScriptedPrompter prompter;
    LocalDatabase db(path, prompter);
    QCOMPARE(db.rowCount(QStringLiteral("TrunkTypes")), 0);
    QCOMPARE(db.rowCount(QStringLiteral("BANKTYPES")), 20);
    const auto bank3 = db.select(QStringLiteral("Select * from BANKTYPES where [BANK_NUM]=?"), {3});
    QVERIFY(bank3.has_value());
    QCOMPARE(bank3->first().value(QStringLiteral("TRUNK_CODE")).toInt(), 2);
    QCOMPARE(db.rowCount(QStringLiteral("orvfreqs")), 0);
    QCOMPARE(prompter.count(QStringLiteral("inform")), 0);
}

void TestLocalDatabase::twoInstances_inOneProcessDoNotShareAConnection() {
    QTemporaryDir a;
    QTemporaryDir b;
    ScriptedPrompter prompter;
    LocalDatabase first(dbIn(a), prompter);
    LocalDatabase second(dbIn(b), prompter);
    QVERIFY(first.addTalkgroup({QStringLiteral("100"), {}, {}, {}, {}, {}, {}}));
    QVERIFY(second.findTalkgroup(QStringLiteral("100")).ok);
    QVERIFY(!second.findTalkgroup(QStringLiteral("100")).row.has_value());
    QVERIFY(first.findTalkgroup(QStringLiteral("100")).row.has_value());
}

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "test_localdatabase.moc"
