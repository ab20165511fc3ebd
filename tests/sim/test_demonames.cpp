#include "DemoNames.h"
#include "ScriptedPrompter.h"
#include "store/LocalDatabase.h"

#include <QTemporaryDir>
#include <QTest>

class TestDemoNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programLine_namesOnlyAnUnnamedRealChannel_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("bank"); // where a row would land
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("stored"); // tag|licensee@frequency of the row there afterwards; "": none

        QTest::newRow("last channel of bank 1") << "program 50 154.2500 Fire" << 1 << 50 << "Fire|Fire@154.25";
        QTest::newRow("first channel of bank 2")
            << "program 51 851.0125 trunked County trunk 1" << 2 << 51 << "County trunk 1|County trunk 1@851.0125";
        QTest::newRow("last channel of bank 20")
            << "program 1000 1240.0000 23 cm beacon" << 20 << 1000 << "23 cm beacon|23 cm beacon@1240";
        QTest::newRow("a named channel keeps its row")
            << "program 5 460.1250 priority City police" << 1 << 5 << "|Mine@0";
        QTest::newRow("alpha tag, then the licensee")
            << "program 9 463.0000 EMS MED2 / Marion County EMS" << 1 << 9 << "EMS MED2|Marion County EMS@463";
        QTest::newRow("flags alone are no name") << "program 7 453.2500 delay lockout" << 1 << 7 << "";
        QTest::newRow("empty channel") << "program 8 0 Nothing" << 1 << 8 << "";
        QTest::newRow("channel 0 is in no bank") << "program 0 154.2500 Nowhere" << 1 << 0 << "";
        QTest::newRow("channel 1001 is in no bank") << "program 1001 154.2500 Nowhere" << 20 << 1001 << "";
    }

    void programLine_namesOnlyAnUnnamedRealChannel() {
        QFETCH(QString, line);
        QFETCH(int, bank);
        QFETCH(int, channel);
        QFETCH(QString, stored);

        QTemporaryDir dir;
        ScriptedPrompter prompter;
        LocalDatabase database(dir.filePath(QStringLiteral("names.db")), prompter);
        QVERIFY(database.open());
        QVERIFY(
            database.insertRow(QStringLiteral("BANK01"), {{QStringLiteral("CHANNEL"), 5},
                                                          {QStringLiteral("COMPANY_NAME"), QStringLiteral("Mine")}}));
        QCOMPARE(DemoNames::seed(database, line), int(!stored.isEmpty() && channel != 5));
        const RowLookup row = database.findBankChannel(bank, channel);
        QVERIFY(row.ok);
        const QString found = row.row
                                  ? row.row->value(QStringLiteral("ALPHA_TAG")).toString() + QLatin1Char('|') +
                                        row.row->value(QStringLiteral("COMPANY_NAME")).toString() + QLatin1Char('@') +
                                        QString::number(row.row->value(QStringLiteral("FREQUENCY")).toDouble(), 'g', 10)
                                  : QString();
        QCOMPARE(found, stored);
    }
};

QTEST_GUILESS_MAIN(TestDemoNames)
#include "test_demonames.moc"
