// The search windows' models: range search settings, and the results saved as a backup set.
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "monitor/PollCycle.h"
#include "search/RangeSearchSettings.h"
#include "search/SearchResultsSet.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
// n transmitters from 154.0000 up by 12.5 kHz, the first in Springfield.
QList<TransmitterRow> found(int n) {
    QList<TransmitterRow> rows;
    for (int i = 0; i < n; ++i)
        rows.append({154.0 + i * 0.0125, "KSA" + QString::number(i), "PW", {}, "SPRINGFIELD", "SANGAMON", "IL"});
    return rows;
}
} // namespace

class TestSearchSets : public QObject {
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

    void defaultName_data() {
        QTest::addColumn<QVariant>("city");
        QTest::addColumn<QString>("name");
        QTest::newRow("city cut to nine") << QVariant("SPRINGFIELD") << "OrvFreqs_PW_SPRINGFIE_IL";
        QTest::newRow("no city") << QVariant() << "OrvFreqs_PW_IL";
    }
    void defaultName() {
        QFETCH(QVariant, city);
        QFETCH(QString, name);
        QCOMPARE(SearchResultsSet::defaultName({{154.0, "K", "PW", {}, city, {}, "IL"}}), name);
    }

    // The name follows the colon directly.
    void savedText_namesTheSet() {
        QCOMPARE(SearchResultsSet::savedText("OrvFreqs_PW_IL"),
                 "Frequencies were saved as Backup Set:OrvFreqs_PW_IL\r\nYou can program them into your scanner by "
                 "restoring\r\nit from the 'Freq_Mgmt' option on the menu.");
    }

    void save_data() {
        QTest::addColumn<int>("found");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("saves");
        QTest::newRow("12 found, 38 empty channels") << 12 << "OrvFreqs_PW_SPRINGFIE_IL" << 1;
        QTest::newRow("50 found, no empty channel") << 50 << "Home Freqs" << 1;
        QTest::newRow("quotes kept, second save adds 50") << 12 << "Joe's \"scanner\" set" << 2;
    }
    void save() {
        QFETCH(int, found);
        QFETCH(QString, name);
        QFETCH(int, saves);
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        LocalDatabase db(LocalDatabase::pathForAppFolder(dir.path()), prompter);
        BackupSets sets(db);
        for (int i = 0; i < saves; ++i)
            QVERIFY(SearchResultsSet::save(sets, name, ::found(found)));
        const auto rows = sets.channels(name);
        QVERIFY(rows);
        QCOMPARE(rows->size(), 50 * saves);
        int empty = 0;
        for (const BackupChannel& row : *rows) {
            if (row.frequency == 0) {
                ++empty;
                QCOMPARE(row.frequencyText, "0000.0000");
                QVERIFY(row.channel > found);
            }
        }
        QCOMPARE(empty, (50 - found) * saves);
        const BackupChannel& first = rows->first();
        QCOMPARE((QStringList{QString::number(first.channel), first.frequencyText,
                              first.names.value("CALLSIGN").toString(), first.names.value("ALPHA_TAG").toString()}),
                 (QStringList{"1", "154.0000", "KSA0", "Imported - OrvFreqs"}));
    }
};

QTEST_GUILESS_MAIN(TestSearchSets)
#include "test_searchsets.moc"
