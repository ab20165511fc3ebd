#include "MonitorRig.h"
#include "memory/BankTypes.h"
#include "store/LocalDatabase.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A new database: the eight installed types, every bank on type 0.
struct Bench : MonitorContextRig {
    QTemporaryDir dir;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    BankTypes job{state, link, db, prompter};

    Bench() { QVERIFY(db.open()); }
    void storeCode(int bank, const QVariant& code) {
        QVERIFY(db.exec(QStringLiteral("UPDATE BANKTYPES SET TRUNK_CODE = ? WHERE BANK_NUM = ?"), {code, bank}));
    }
};

} // namespace

class TestBankTypes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void load_selectsTheStoredType_orSaysWhyNot_data() {
        QTest::addColumn<QVariant>("stored"); // TRUNK_CODE of bank 4; an invalid value deletes its row
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("note");
        QTest::newRow("code 2: the third type") << QVariant(2) << 2 << "";
        QTest::newRow("code past the list") << QVariant(8) << -1 << "stored type code 8 is not in the list";
        QTest::newRow("no code") << QVariant(QMetaType(QMetaType::Int)) << -1 << "no type stored for this bank";
        QTest::newRow("no row") << QVariant() << -1 << "no type stored for this bank";
    }

    void load_selectsTheStoredType_orSaysWhyNot() {
        QFETCH(QVariant, stored);
        QFETCH(int, code);
        QFETCH(QString, note);
        Bench b;
        if (stored.isValid())
            b.storeCode(4, stored);
        else
            QVERIFY(b.db.exec(QStringLiteral("DELETE FROM BANKTYPES WHERE BANK_NUM = 4")));
        QVERIFY(b.job.load());
        QCOMPARE(b.job.rows().size(), 20);
        QCOMPARE(b.job.rows().at(3).code, code);
        QCOMPARE(b.job.rows().at(3).note, note);
        QCOMPARE(b.job.rows().at(2).code, 0);
        QCOMPARE(b.job.typeName(2), "Motorola Hybrid 800 MHz");
    }

    void save_sendsAndStoresTheTickedBanks_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("dropRow"); // bank 11 has no BANKTYPES row
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("scanning") << 0 << false << QStringList{"TR B1", "TR K3", "MA001", "KEY00"};
        QTest::newRow("trunk tracking leaves it first")
            << 9 << false << QStringList{"KEY13", "KEY00", "TR B1", "TR K3", "MA001", "KEY00"};
        QTest::newRow("ID scan leaves it first")
            << 11 << false << QStringList{"KEY13", "KEY00", "TR B1", "TR K3", "MA001", "KEY00"};
        QTest::newRow("a bank without a row gets one") << 10 << true << QStringList{"TR B1", "TR K3", "MA001", "KEY00"};
    }

    void save_sendsAndStoresTheTickedBanks() {
        QFETCH(int, mode);
        QFETCH(bool, dropRow);
        QFETCH(QStringList, sent);
        Bench b;
        if (dropRow)
            QVERIFY(b.db.exec(QStringLiteral("DELETE FROM BANKTYPES WHERE BANK_NUM = 11")));
        b.state.gMode = quint8(mode);
        QVERIFY(b.job.load());
        QSignalSpy finished(&b.job, &BankTypes::finished);
        QVERIFY(b.job.save({{2, 1}, {11, 3}}));
        QCOMPARE(b.takeCommands(), sent);
        QCOMPARE(finished.size(), 1);
        // Reopened: the saved types, the other banks untouched.
        QVERIFY(b.job.load());
        QCOMPARE(b.job.rows().at(1).code, 1);
        QCOMPARE(b.job.rows().at(10).code, 3);
        QCOMPARE(b.job.rows().at(2).code, 0);
        const auto names = b.db.select(QStringLiteral("SELECT Trunk_Type FROM BANKTYPES WHERE BANK_NUM = 11"));
        QCOMPARE(names->first().value(0).toString(), "Motorola Type II 900 MHz");
    }

    void save_aTickedBankWithoutAType_sendsNothing() {
        Bench b;
        QVERIFY(b.job.load());
        QSignalSpy finished(&b.job, &BankTypes::finished);
        QVERIFY(!b.job.save({{2, 1}, {5, -1}}));
        QVERIFY(b.takeCommands().isEmpty());
        QVERIFY(finished.isEmpty());
        QVERIFY(b.prompter.calls().last().text.contains(QStringLiteral("bank 5")));
    }

    // The command line's end of a restore: bank 2 holds type 1, bank 5 a code the list lacks, bank 3 type 0.
    void sendStoredTypes_thenScanning_data() {
        QTest::addColumn<QList<int>>("banks");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QList<int>>("untyped");
        QTest::newRow("known types") << QList<int>{2, 3} << QStringList{"TR B1", "TR C0", "MA001", "KEY00"}
                                     << QList<int>{};
        QTest::newRow("one unknown") << QList<int>{2, 5} << QStringList{"TR B1", "MA001", "KEY00"} << QList<int>{5};
        QTest::newRow("none known") << QList<int>{5} << QStringList{"MA001", "KEY00"} << QList<int>{5};
    }
    void sendStoredTypes_thenScanning() {
        QFETCH(QList<int>, banks);
        QFETCH(QStringList, sent);
        QFETCH(QList<int>, untyped);
        Bench b;
        b.storeCode(2, 1);
        b.storeCode(5, 8);
        QCOMPARE(b.job.sendStoredTypes(banks), untyped);
        QCOMPARE(b.takeCommands(), sent);
    }

    // The close box hands back once, and never after SAVE or CANCEL did.
    void handBack_happensOncePerOpening() {
        Bench b;
        QSignalSpy finished(&b.job, &BankTypes::finished);
        QVERIFY(b.job.load());
        b.job.cancel();
        b.job.close();
        QCOMPARE(b.takeCommands(), (QStringList{"MA001", "KEY00"}));
        QCOMPARE(finished.size(), 1);
        QVERIFY(b.job.load());
        b.job.close();
        QCOMPARE(finished.size(), 2);
        QVERIFY(b.takeCommands().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBankTypes)
#include "test_banktypes.moc"
