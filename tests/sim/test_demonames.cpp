#include "DemoNames.h"
#include "ScriptedPrompter.h"
#include "store/LocalDatabase.h"

#include <QTemporaryDir>
#include <QTest>

class TestDemoNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programLine_namesOnlyARealChannel_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("bank"); // where a row would land; 0: nowhere
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("added");

        QTest::newRow("last channel of bank 1") << "program 50 154.2500 Fire" << 1 << 50 << 1;
        QTest::newRow("first channel of bank 2") << "program 51 851.0125 trunked County trunk 1" << 2 << 51 << 1;
        QTest::newRow("flags alone are no name") << "program 7 453.2500 delay lockout" << 1 << 7 << 0;
        QTest::newRow("empty channel") << "program 8 0 Nothing" << 1 << 8 << 0;
        QTest::newRow("channel 0 is in no bank") << "program 0 154.2500 Nowhere" << 1 << 0 << 0;
        QTest::newRow("channel 1001 is in no bank") << "program 1001 154.2500 Nowhere" << 20 << 1001 << 0;
    }

    void programLine_namesOnlyARealChannel() {
        QFETCH(QString, line);
        QFETCH(int, bank);
        QFETCH(int, channel);
        QFETCH(int, added);

        QTemporaryDir dir;
        ScriptedPrompter prompter;
        LocalDatabase database(dir.filePath(QStringLiteral("names.db")), prompter);
        QVERIFY(database.open());
        QCOMPARE(DemoNames::seed(database, line), added);
        const RowLookup row = database.findBankChannel(bank, channel);
        QVERIFY(row.ok);
        QCOMPARE(bool(row.row), added == 1);
    }
};

QTEST_GUILESS_MAIN(TestDemoNames)
#include "test_demonames.moc"
