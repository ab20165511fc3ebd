#include "ScriptedPrompter.h"
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

class TestSearchResultsSet : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestSearchResultsSet)
#include "test_searchresultsset.moc"
