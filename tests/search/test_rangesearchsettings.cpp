#include "Settings.h"
#include "monitor/PollCycle.h"
#include "search/RangeSearchSettings.h"

#include <QTemporaryDir>
#include <QTest>

class TestRangeSearchSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void load_data() {
        QTest::addColumn<QStringList>("stored"); // low, high, dwell
        QTest::addColumn<int>("holdLimit");
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("first use") << QStringList{"", "", ""} << 900 << QStringList{"154.000", "156.000", "1"};
        QTest::newRow("stored dwell wins over the hold limit")
            << QStringList{"", "", "2"} << 900 << QStringList{"154.000", "156.000", "2"};
        QTest::newRow("off is kept") << QStringList{" 420.5 ", "abc", "0"} << 30 << QStringList{"420.5", "abc", "0"};
        QTest::newRow("a stored position off the list leaves the hold limit's")
            << QStringList{"", "", "12"} << 900 << QStringList{"154.000", "156.000", "7"};
    }
    void load() {
        QFETCH(QStringList, stored);
        QFETCH(int, holdLimit);
        QFETCH(QStringList, loaded);
        QTemporaryDir dir;
        Settings settings("Valdoria2052/Pro", dir.filePath("settings.ini"));
        RangeSearchSettings{stored[0], stored[1], 0}.save(settings);
        settings.setDwellTime(stored[2]);
        const RangeSearchSettings s = RangeSearchSettings::load(settings, holdLimit);
        QCOMPARE((QStringList{s.low, s.high, QString::number(s.dwell)}), loaded);
    }

    // The dwell list as the window offers it, each entry with the hold it gives.
    void dwellChoices_holdWhatTheySay() {
        QStringList shown;
        for (int position = 0; position < RangeSearchSettings::dwellChoices().size(); ++position)
            shown << RangeSearchSettings::dwellChoices().at(position) + "=" +
                         QString::number(PollCycle::dwellSeconds(position));
        QCOMPARE(shown, QStringList({"0 (Off)=0", "10 seconds=10", "30 seconds=30", "1 minute=60", "2 minutes=120",
                                     "5 minutes=300", "10 minutes=600", "15 minutes=900", "30 minutes=1800"}));
    }

    void refusal_data() {
        QTest::addColumn<QStringList>("limits"); // low, high
        QTest::addColumn<QString>("reason");
        QTest::newRow("accepted") << QStringList{"154.000", " 156 "} << "";
        QTest::newRow("not a number") << QStringList{"154.000", "15x"}
                                      << "The upper limit \"15x\" is not a frequency in MHz.";
        QTest::newRow("empty") << QStringList{"", "156"} << "The lower limit \"\" is not a frequency in MHz.";
        QTest::newRow("below the scanner's range")
            << QStringList{"24.9", "156"}
            << "The lower limit 24.9 MHz is outside the scanner's range of 25 to 1300 MHz.";
        QTest::newRow("above the scanner's range")
            << QStringList{"154", "1300.01"}
            << "The upper limit 1300.01 MHz is outside the scanner's range of 25 to 1300 MHz.";
        QTest::newRow("lower above upper")
            << QStringList{"156", "154"} << "The lower limit 156 MHz is above the upper limit 154 MHz.";
    }
    void refusal() {
        QFETCH(QStringList, limits);
        QFETCH(QString, reason);
        QCOMPARE((RangeSearchSettings{limits[0], limits[1], 1}.refusal().value_or(QString())), reason);
    }
};

QTEST_GUILESS_MAIN(TestRangeSearchSettings)
#include "test_rangesearchsettings.moc"
