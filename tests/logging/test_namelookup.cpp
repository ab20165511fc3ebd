#include "MonitorRig.h"
#include "logging/NameLookup.h"
#include "store/LocalDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The auxiliary window open, an empty database.
struct Bench : MonitorContextRig {
    QTemporaryDir dir;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    NameLookup lookup{ctx};

    explicit Bench(quint8 model = ScannerModel::Pro2052)
        : MonitorContextRig(Options{model, false}) {
        clock.set(QDate(2001, 2, 15), QTime(15, 4, 5));
        ctx.lookups = nullptr;
        ctx.log = nullptr;
        state.gDb = &db;
        for (int i = 1; i <= 4; ++i)
            aux.addField(DisplayModel::element("Text2", i), {QStringLiteral("caption %1").arg(i)});
        aux.setWindowVisible(true);
        DisplayField lcd;
        lcd.foreColor = 0x1F6FF3;
        display.addArray("Text2", 1, 4, lcd);
        display.addField("tbTONES", lcd);
    }

    QString auxText(int i) const { return aux.text("Text2", i); }
    QStringList auxLines() const { return {auxText(1), auxText(2), auxText(3), auxText(4)}; }
    void addChannel(const QString& table, int channel, const QVariant& company, const QVariant& tag) {
        QVERIFY(db.insertRow(table, {{"CHANNEL", channel}, {"COMPANY_NAME", company}, {"ALPHA_TAG", tag}}));
    }
    void hearChannel(const QString& channel, const QString& freq = QStringLiteral("154.2500")) {
        state.gChannelText = channel;
        state.gFreqText = freq;
        lookup.lookupChannel();
    }
    void hearTalkgroup(const QString& id) {
        state.gTalkgroupId = id;
        lookup.lookupTalkgroup();
    }
};

} // namespace

class TestNameLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void channel_looksInTheTableOfItsBank_data();
    void channel_looksInTheTableOfItsBank();
    void channel_namesGoToAuxAndRemote_onceForTheSameFrequency_data();
    void channel_namesGoToAuxAndRemote_onceForTheSameFrequency();
    void channel_withoutRowOrBank_changesOnlyFieldOne_data();
    void channel_withoutRowOrBank_changesOnlyFieldOne();
    void auxHidden_doesNothing();
    void talkgroup_newIdAddedOnceThenFound();
    void bc780_namesGoToFaceplateInBlack();
    void unusableDatabase_lookupsCarryOnQuietly();
};

void TestNameLookup::channel_looksInTheTableOfItsBank_data() {
    QTest::addColumn<QString>("channelText");
    QTest::addColumn<int>("channel"); // the number the row is stored under
    QTest::addColumn<int>("bank");
    QTest::addColumn<QString>("table");
    QTest::newRow("50 is the last of bank 1") << "50" << 50 << 1 << "BANK01";
    QTest::newRow("51 is the first of bank 2") << "51" << 51 << 2 << "BANK02";
    QTest::newRow("1000 in bank 20") << "1000" << 1000 << 20 << "BANK20";
    QTest::newRow("leading blanks and trailing text") << "  051x" << 51 << 2 << "BANK02";
}

void TestNameLookup::channel_looksInTheTableOfItsBank() {
    QFETCH(QString, channelText);
    QFETCH(int, channel);
    QFETCH(int, bank);
    QFETCH(QString, table);
    Bench b;
    // The same channel in every bank table, named after its table: only the bank's own may answer.
    for (int t = 1; t <= 20; ++t) {
        const QString name = QStringLiteral("BANK%1").arg(t, 2, 10, QLatin1Char('0'));
        b.addChannel(name, channel, name, "tag");
    }
    b.hearChannel(channelText);
    QCOMPARE(b.state.gBank, bank);
    QCOMPARE(b.auxText(3), table);
}

void TestNameLookup::channel_namesGoToAuxAndRemote_onceForTheSameFrequency_data() {
    QTest::addColumn<QVariant>("company");
    QTest::addColumn<QVariant>("tag");
    QTest::addColumn<QStringList>("sent");
    const QStringList first{"AUX1FREQ: 154.2500\r", "AUX2CHAN: 12\r"};
    QTest::newRow("both") << QVariant("CITY PD") << QVariant("DISPATCH")
                          << first + QStringList{"AUX3CITY PD\r", "AUX4DISPATCH\r"};
    QTest::newRow("empty company") << QVariant("") << QVariant("DISPATCH") << first + QStringList{"AUX4DISPATCH\r"};
    QTest::newRow("no alpha tag") << QVariant("CITY PD") << QVariant() << first + QStringList{"AUX3CITY PD\r"};
}

void TestNameLookup::channel_namesGoToAuxAndRemote_onceForTheSameFrequency() {
    QFETCH(QVariant, company);
    QFETCH(QVariant, tag);
    QFETCH(QStringList, sent);
    Bench b;
    b.addChannel("BANK01", 12, company, tag);
    b.aux.setText("Text2", 3, "old name");
    b.aux.setText("Text2", 4, "old notes");
    b.hearChannel("12");
    QCOMPARE(b.remote.sent, sent);
    QCOMPARE(b.auxLines(), (QStringList{"FREQ: 154.2500", "CHAN: 12", company.toString(), tag.toString()}));
    const int queries = b.db.statementCount();
    b.hearChannel("12");
    QCOMPARE(b.db.statementCount(), queries);
    QCOMPARE(b.remote.sent, sent);
}

void TestNameLookup::channel_withoutRowOrBank_changesOnlyFieldOne_data() {
    QTest::addColumn<QString>("channelText");
    QTest::addColumn<int>("queries");
    QTest::newRow("no row for channel 13") << "13" << 1;
    QTest::newRow("channel 0 has no bank") << "0" << 0;
    QTest::newRow("channel 1001 has no bank") << "1001" << 0;
    QTest::newRow("beyond 16 bits, not channel 1") << "65537" << 0;
}

void TestNameLookup::channel_withoutRowOrBank_changesOnlyFieldOne() {
    QFETCH(QString, channelText);
    QFETCH(int, queries);
    Bench b;
    b.addChannel("BANK01", 1, "CITY PD", "DISPATCH");
    const int before = b.db.statementCount();
    b.hearChannel(channelText);
    QCOMPARE(b.db.statementCount() - before, queries);
    QCOMPARE(b.auxLines(), (QStringList{"FREQ: 154.2500", "caption 2", "caption 3", "caption 4"}));
    QVERIFY(b.remote.sent.isEmpty());
}

void TestNameLookup::auxHidden_doesNothing() {
    Bench b;
    b.addChannel("BANK01", 12, "CITY PD", "DISPATCH");
    b.aux.setWindowVisible(false);
    const int before = b.db.statementCount();
    b.hearChannel("12");
    b.hearTalkgroup("4711");
    QCOMPARE(b.db.statementCount(), before);
    QCOMPARE(b.auxText(1), QStringLiteral("caption 1"));
    QVERIFY(b.remote.sent.isEmpty());
}

void TestNameLookup::bc780_namesGoToFaceplateInBlack() {
    Bench b(ScannerModel::Bc780xlt);
    b.aux.setWindowVisible(false);
    b.addChannel("BANK10", 460, "CITY PD", QVariant());
    b.display.setText("Text2(4)", "SCANNER TAG");
    b.hearChannel("460");
    QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("CITY PD"));
    QCOMPARE(b.display.foreColor("Text2(3)"), 0u);
    // No value: the scanner's own line stays as it was.
    QCOMPARE(b.display.text("Text2(4)"), QStringLiteral("SCANNER TAG"));
    QCOMPARE(b.remote.sent, QStringList{"AUX3CITY PD\r"});
    const int before = b.db.statementCount();
    b.hearChannel("460");
    QCOMPARE(b.db.statementCount(), before + 1);

    b.hearTalkgroup("");
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
    b.hearTalkgroup("2416");
    QCOMPARE(b.display.text("tbTONES"), QStringLiteral("2416"));
    QCOMPARE(b.display.text("Text2(4)"), QStringLiteral("Added by Valdoria"));
    const RowLookup found = b.db.findTalkgroup("2416");
    QVERIFY(found.row && !found.row->value("NOTES").isNull());
    QVERIFY(b.db.exec("UPDATE TALKGROUPS SET SERVICE_DESC = ?", {"Fire"}));
    b.hearTalkgroup("2416");
    QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("Fire"));
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
}

void TestNameLookup::talkgroup_newIdAddedOnceThenFound() {
    Bench b;
    b.hearTalkgroup("");
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
    b.hearTalkgroup("O'Neil 42");
    QCOMPARE(b.auxLines(), (QStringList{"Talkgroup ID: O'Neil 42", "Unknown", "Unknown", "Added by Valdoria"}));
    const RowLookup added = b.db.findTalkgroup("O'Neil 42");
    QVERIFY(added.row);
    QCOMPARE(added.row->value("CITY").toString(), QStringLiteral("Unknown"));
    QCOMPARE(added.row->value("SERVICE_DESC").toString(), QStringLiteral("Unknown"));
    QCOMPARE(added.row->value("ALPHA_TAG").toString(), QStringLiteral("Added by Valdoria"));
    QCOMPARE(added.row->value("DATE").toString(), QStringLiteral("2001-02-15"));
    QCOMPARE(added.row->value("TIME").toString(), QStringLiteral("15:04:05"));

    // Heard again after the operator named it, and after field 1 showed something else.
    QVERIFY(b.db.exec("UPDATE TALKGROUPS SET CITY = ? WHERE ID = ?", {"Elm Grove", "O'Neil 42"}));
    b.hearChannel("13");
    b.hearTalkgroup("O'Neil 42");
    QCOMPARE(b.auxText(2), QStringLiteral("Elm Grove"));
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
    QVERIFY(b.remote.sent.isEmpty());
}

void TestNameLookup::unusableDatabase_lookupsCarryOnQuietly() {
    Bench b;
    QFile blocker(b.dir.filePath("Data"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    b.hearChannel("12");
    b.hearTalkgroup("4711");
    b.hearChannel("13", "155.0000");
    QCOMPARE(b.auxText(1), QStringLiteral("FREQ: 155.0000"));
    QCOMPARE(b.auxText(2), QStringLiteral("caption 2"));
    QVERIFY(b.remote.sent.isEmpty());
    QCOMPARE(b.prompter.count("inform"), 1);
}

QTEST_GUILESS_MAIN(TestNameLookup)
#include "test_namelookup.moc"
