// valdoria-cli search and import-uls as a script sees them: the result text on stdout, the outcome in the status.
#include "CliRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSearchCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void search_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::newRow("sample, whole list entry")
            << QStringList{"--state",  "IA",      "--service", "PW Public Safety",
                           "--county", "o'brien", "--city",    "primghar"}
            << 0
            << "8.5,KSA404,PW,O'BRIEN COUNTY EMERGENCY MANAGEMENT,PRIMGHAR,O'BRIEN,IA\n"
               "154.905,KSA402,PW,IOWA STATE PATROL,PRIMGHAR,O'BRIEN,IA\n"
               "155.13,KSA401,PW,O'BRIEN COUNTY SHERIFF,PRIMGHAR,O'BRIEN,IA\n";
        QTest::newRow("nothing found is no error") << QStringList{"--state", "WY", "--service", "PW"} << 0 << "";
        QTest::newRow("no such state") << QStringList{"--state", "KX", "--service", "PW"} << 2 << "";
        // Codes in any case; KS is Kansas as KA is, and finds the same transmitters.
        QTest::newRow("lower-case service and state")
            << QStringList{"--state", "ks", "--service", "pw", "--city", "wichita"} << 0
            << "154.89,KSA502,PW,SEDGWICK COUNTY SHERIFF,WICHITA,SEDGWICK,KA\n"
               "155.055,KSA501,PW,WICHITA CITY OF,WICHITA,SEDGWICK,KA\n"
               "155.31,KSA801,PW,SEDGWICK COUNTY EMERGENCY COMMUNICATIONS,WICHITA,SEDGWICK,KS\n";
        // The window offers no saving without results: an empty set would blank a bank when restored.
        QTest::newRow("saving nothing is refused")
            << QStringList{"--state", "WY", "--service", "PW", "--save", "Empty", "--data-dir", m_dir.path()} << 1
            << "";
        QTest::newRow("missing file") << QStringList{"--state", "IA", "--service", "PW", "--db", "sqlite:/nonexistent"}
                                      << 1 << "";
    }
    void search() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        const CliRun run = runCli(QStringList{"search"} + arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, out);
        if (arguments.contains("--save") && status == 1) {
            QCOMPARE(run.err, "valdoria-cli: nothing was found, so no backup set \"Empty\" was stored\n");
            QCOMPARE(runCli({"sets", "--data-dir", m_dir.path()}).out, "");
        }
    }

    // Licence files imported twice, then searched and saved as a set under a name with a quote.
    void importThenSearchAndSave() {
        QFile file(m_dir.filePath("l_LMpriv.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("HD|77|||KZZ9|A|IG|||\r\n"
                   "EN|77|||KZZ9|L||RIVER FARMS|\r\n"
                   "LO|77|||KZZ9||||1||||AMES|STORY|IA|\r\n"
                   "FR|77|||KZZ9||1||||151.955|more|fields\r\n"
                   "FR|77|||KZZ9||one||||151.955\r\n");
        file.close();
        const QString db = "sqlite:" + m_dir.filePath("transmitters.sqlite");
        for (int i = 0; i < 2; ++i) {
            const CliRun run = runCli({"import-uls", "--db", db, file.fileName()});
            QCOMPARE(run.status, 0);
            QVERIFY2(
                run.err.contains("5 lines, 1 rows for 1 licences, 1 malformed lines skipped (the first is line 5)"),
                qPrintable(run.err));
        }
        const CliRun search = runCli({"search", "--db", db, "--state", "IA", "--service", "IG", "--county", "story",
                                      "--save", "Joe's farm", "--data-dir", m_dir.path()});
        QCOMPARE(search.status, 0);
        QCOMPARE(search.out, "151.955,KZZ9,IG,RIVER FARMS,AMES,STORY,IA\n");
        QCOMPARE(runCli({"sets", "--data-dir", m_dir.path()}).out, "Joe's farm\t50\n");
    }
};

QTEST_GUILESS_MAIN(TestSearchCli)
#include "test_searchcli.moc"
