#include "Clock.h"
#include "ScriptedPrompter.h"
#include "link/SerialLink.h"
#include "logging/NameLookup.h"
#include "monitor/DisplayModel.h"
#include "monitor/MonitorContext.h"
#include "monitor/MonitorHooks.h"
#include "monitor/ScannerState.h"
#include "monitor/Switches.h"
#include "store/LocalDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingRemote final : public RemoteEndpoint {
public:
    bool isClientConnected() const override { return true; }
    void sendToClient(const QString& text) override { sent.append(text); }
    QStringList sent;
};

// Everything a lookup works on, with the auxiliary window open and an empty database.
struct Bench {
    QTemporaryDir dir;
    ScannerState state;
    SerialLink link{state};
    DisplayModel display;
    DisplayModel aux;
    Switches switches;
    ManualClock clock{QDate(2001, 2, 15), QTime(15, 4, 5)};
    ScriptedPrompter prompter;
    RecordingRemote remote;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    MonitorContext ctx{state, link, display, aux, switches, clock, prompter, nullptr, nullptr, &remote};
    NameLookup lookup{ctx};

    explicit Bench(quint8 model = ScannerModel::Pro2052) {
        state.gScannerModel = model;
        state.gDb = &db;
        const QStringList captions = {"FREQUENCY & TALKGROUP ID", "TRANSMITTER CITY", "SERVICE DESCRIPTION",
                                      "ADDITIONAL USER NOTES"};
        for (int i = 1; i <= 8; ++i)
            aux.addField(DisplayModel::element("Text2", i),
                         {i <= 4 ? captions.at(i - 1) : QStringLiteral("Aux Display #%1").arg(i)});
        aux.setWindowVisible(true);
        DisplayField lcd;
        lcd.foreColor = 0x1F6FF3;
        display.addArray("Text2", 1, 4, lcd);
        display.addField("tbTONES", lcd);
    }

    QString auxText(int i) const { return aux.text("Text2", i); }
    void addChannel(const QString& table, int channel, const QVariant& company, const QVariant& tag) {
        QVERIFY(db.insertRow(table, {{"CHANNEL", channel}, {"COMPANY_NAME", company}, {"ALPHA_TAG", tag}}));
    }
    void hearChannel(const QString& channel, const QString& freq) {
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
    void channel_sameFrequencyTwice_queriesOnce();
    void channel_namesGoToAuxAndRemote_data();
    void channel_namesGoToAuxAndRemote();
    void channel_withoutRowOrBank_changesOnlyFieldOne_data();
    void channel_withoutRowOrBank_changesOnlyFieldOne();
    void channel_auxHidden_doesNothing();
    void channel_bc780_writesBlackLinesEveryTime();
    void talkgroup_newIdAddedOnceThenFound();
    void talkgroup_emptyIdNeverStored_data();
    void talkgroup_emptyIdNeverStored();
    void talkgroup_bc780_showsAndStoresWithEmptyNotes();
    void unusableDatabase_lookupsCarryOnQuietly();
};

void TestNameLookup::channel_looksInTheTableOfItsBank_data() {
    QTest::addColumn<QString>("channelText");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("bank");
    QTest::newRow("50 is the last of bank 1") << "50"
                                              << "BANK01" << 1;
    QTest::newRow("51 is the first of bank 2") << "51"
                                               << "BANK02" << 2;
    QTest::newRow("250 in bank 5") << "250"
                                   << "BANK05" << 5;
    QTest::newRow("600 in bank 12") << "600"
                                    << "BANK12" << 12;
    QTest::newRow("1000 in bank 20") << "1000"
                                     << "BANK20" << 20;
    QTest::newRow("leading blanks and trailing text") << "  051x"
                                                      << "BANK02" << 2;
}

void TestNameLookup::channel_looksInTheTableOfItsBank() {
    QFETCH(QString, channelText);
    QFETCH(QString, table);
    QFETCH(int, bank);
    Bench b;
    const int channel = NameLookup::leadingNumber(channelText);
    // The same channel number in every table: only the bank's own table may answer.
    for (const QString& t : LocalDatabase::tableNames().mid(0, 20))
        b.addChannel(t, channel, t, QStringLiteral("tag"));
    b.hearChannel(channelText, "154.2500");
    QCOMPARE(b.state.gChannel, channel);
    QCOMPARE(b.state.gBank, bank);
    QCOMPARE(b.state.gBankText, QString::number(bank));
    QCOMPARE(b.state.gBankTable, table);
    QCOMPARE(b.auxText(3), table);
}

void TestNameLookup::channel_sameFrequencyTwice_queriesOnce() {
    Bench b;
    b.addChannel("BANK01", 12, "CITY PD", "DISPATCH");
    b.hearChannel("12", "154.2500");
    const int afterFirst = b.db.statementCount();
    b.hearChannel("12", "154.2500");
    QCOMPARE(b.db.statementCount(), afterFirst);
    b.hearChannel("12", "154.2600");
    QCOMPARE(b.db.statementCount(), afterFirst + 1);
    QCOMPARE(b.auxText(1), QStringLiteral("FREQ: 154.2600"));
}

void TestNameLookup::channel_namesGoToAuxAndRemote_data() {
    QTest::addColumn<QVariant>("company");
    QTest::addColumn<QVariant>("tag");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("field3");
    QTest::addColumn<QString>("field4");
    const QString a1 = "AUX1FREQ: 154.2500\r";
    const QString a2 = "AUX2CHAN: 12\r";
    QTest::newRow("both tags") << QVariant("CITY PD") << QVariant("DISPATCH")
                               << QStringList{a1, a2, "AUX3CITY PD\r", "AUX4DISPATCH\r"} << "CITY PD"
                               << "DISPATCH";
    QTest::newRow("empty company") << QVariant("") << QVariant("DISPATCH") << QStringList{a1, a2, "AUX4DISPATCH\r"}
                                   << ""
                                   << "DISPATCH";
    QTest::newRow("no alpha tag") << QVariant("CITY PD") << QVariant() << QStringList{a1, a2, "AUX3CITY PD\r"}
                                  << "CITY PD"
                                  << "";
    QTest::newRow("tags with quotes") << QVariant("O'Brien's") << QVariant("x'; --")
                                      << QStringList{a1, a2, "AUX3O'Brien's\r", "AUX4x'; --\r"} << "O'Brien's"
                                      << "x'; --";
}

void TestNameLookup::channel_namesGoToAuxAndRemote() {
    QFETCH(QVariant, company);
    QFETCH(QVariant, tag);
    QFETCH(QStringList, sent);
    QFETCH(QString, field3);
    QFETCH(QString, field4);
    Bench b;
    b.addChannel("BANK01", 12, company, tag);
    b.aux.setText("Text2", 3, "old name");
    b.aux.setText("Text2", 4, "old notes");
    b.hearChannel("12", "154.2500");
    QCOMPARE(b.remote.sent, sent);
    QCOMPARE(b.auxText(1), QStringLiteral("FREQ: 154.2500"));
    QCOMPARE(b.auxText(2), QStringLiteral("CHAN: 12"));
    QCOMPARE(b.auxText(3), field3);
    QCOMPARE(b.auxText(4), field4);
}

void TestNameLookup::channel_withoutRowOrBank_changesOnlyFieldOne_data() {
    QTest::addColumn<QString>("channelText");
    QTest::addColumn<bool>("queried");
    QTest::newRow("no row for channel 13") << "13" << true;
    QTest::newRow("channel 0 has no bank") << "0" << false;
    QTest::newRow("channel 1001 has no bank") << "1001" << false;
    QTest::newRow("no number at all") << "abc" << false;
    QTest::newRow("beyond 16 bits") << "99999" << false;
}

void TestNameLookup::channel_withoutRowOrBank_changesOnlyFieldOne() {
    QFETCH(QString, channelText);
    QFETCH(bool, queried);
    Bench b;
    b.addChannel("BANK01", 12, "CITY PD", "DISPATCH");
    const int before = b.db.statementCount();
    b.hearChannel(channelText, "154.2500");
    QCOMPARE(b.db.statementCount() - before, queried ? 1 : 0);
    QCOMPARE(b.auxText(1), QStringLiteral("FREQ: 154.2500"));
    QCOMPARE(b.auxText(2), QStringLiteral("TRANSMITTER CITY"));
    QCOMPARE(b.auxText(3), QStringLiteral("SERVICE DESCRIPTION"));
    QCOMPARE(b.auxText(4), QStringLiteral("ADDITIONAL USER NOTES"));
    QVERIFY(b.remote.sent.isEmpty());
    if (!queried)
        QCOMPARE(b.state.gBank, qint16(0));
}

void TestNameLookup::channel_auxHidden_doesNothing() {
    Bench b;
    b.addChannel("BANK01", 12, "CITY PD", "DISPATCH");
    b.aux.setWindowVisible(false);
    const int before = b.db.statementCount();
    b.hearChannel("12", "154.2500");
    b.hearTalkgroup("4711");
    QCOMPARE(b.db.statementCount(), before);
    QCOMPARE(b.auxText(1), QStringLiteral("FREQUENCY & TALKGROUP ID"));
    QVERIFY(b.remote.sent.isEmpty());
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
}

void TestNameLookup::channel_bc780_writesBlackLinesEveryTime() {
    Bench b(ScannerModel::Bc780xlt);
    b.aux.setWindowVisible(false);
    b.addChannel("BANK10", 460, "CITY PD", QVariant());
    b.display.setText("Text2(4)", "SCANNER TAG");
    b.hearChannel("460", "154.2500");
    QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("CITY PD"));
    QCOMPARE(b.display.foreColor("Text2(3)"), 0u);
    // No value: the scanner's own line stays as it was.
    QCOMPARE(b.display.text("Text2(4)"), QStringLiteral("SCANNER TAG"));
    QCOMPARE(b.display.foreColor("Text2(4)"), 0x1F6FF3u);
    QCOMPARE(b.remote.sent, QStringList{"AUX3CITY PD\r"});
    QCOMPARE(b.auxText(1), QStringLiteral("FREQUENCY & TALKGROUP ID"));
    const int before = b.db.statementCount();
    b.hearChannel("460", "154.2500");
    QCOMPARE(b.db.statementCount(), before + 1);
}

void TestNameLookup::talkgroup_newIdAddedOnceThenFound() {
    Bench b;
    b.hearTalkgroup("O'Neil 42");
    QCOMPARE(b.auxText(1), QStringLiteral("Talkgroup ID: O'Neil 42"));
    QCOMPARE(b.auxText(2), QStringLiteral("Unknown"));
    QCOMPARE(b.auxText(3), QStringLiteral("Unknown"));
    QCOMPARE(b.auxText(4), QStringLiteral("Added by Valdoria"));
    QVERIFY(b.remote.sent.isEmpty());

    const auto rows = b.db.select("SELECT * FROM TALKGROUPS");
    QVERIFY(rows && rows->size() == 1);
    const QSqlRecord row = rows->first();
    QCOMPARE(row.value("ID").toString(), QStringLiteral("O'Neil 42"));
    QCOMPARE(row.value("CITY").toString(), QStringLiteral("Unknown"));
    QCOMPARE(row.value("SERVICE_DESC").toString(), QStringLiteral("Unknown"));
    QCOMPARE(row.value("ALPHA_TAG").toString(), QStringLiteral("Added by Valdoria"));
    QCOMPARE(row.value("DATE").toString(), QStringLiteral("2001-02-15"));
    QCOMPARE(row.value("TIME").toString(), QStringLiteral("15:04:05"));

    // Heard again after the operator named it (and after field 1 showed something else).
    QVERIFY(b.db.exec("UPDATE TALKGROUPS SET CITY = ? WHERE ID = ?", {"Elm Grove", "O'Neil 42"}));
    b.hearChannel("13", "154.2500");
    b.hearTalkgroup("O'Neil 42");
    QCOMPARE(b.auxText(2), QStringLiteral("Elm Grove"));
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
}

void TestNameLookup::talkgroup_emptyIdNeverStored_data() {
    QTest::addColumn<int>("model");
    QTest::newRow("PRO-2052") << int(ScannerModel::Pro2052);
    QTest::newRow("BC780XLT") << int(ScannerModel::Bc780xlt);
}

void TestNameLookup::talkgroup_emptyIdNeverStored() {
    QFETCH(int, model);
    Bench b{static_cast<quint8>(model)};
    b.hearTalkgroup("");
    b.hearTalkgroup("");
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
    QCOMPARE(b.display.text("tbTONES"), QString());
}

void TestNameLookup::talkgroup_bc780_showsAndStoresWithEmptyNotes() {
    Bench b(ScannerModel::Bc780xlt);
    b.hearTalkgroup("2416");
    QCOMPARE(b.display.text("tbTONES"), QStringLiteral("2416"));
    QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("Unknown"));
    QCOMPARE(b.display.text("Text2(4)"), QStringLiteral("Added by Valdoria"));
    for (const char* f : {"tbTONES", "Text2(3)", "Text2(4)"})
        QCOMPARE(b.display.foreColor(QLatin1String(f)), 0u);
    const RowLookup found = b.db.findTalkgroup("2416");
    QVERIFY(found.row && !found.row->value("NOTES").isNull());

    QVERIFY(b.db.exec("UPDATE TALKGROUPS SET SERVICE_DESC = ?, ALPHA_TAG = ?", {"Fire", "Station 3"}));
    b.hearTalkgroup("2416");
    QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("Fire"));
    QCOMPARE(b.display.text("Text2(4)"), QStringLiteral("Station 3"));
    QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
}

void TestNameLookup::unusableDatabase_lookupsCarryOnQuietly() {
    Bench b;
    QVERIFY(QDir().mkpath(b.dir.filePath("Data")));
    QFile garbage(b.db.path());
    QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'Z')) == 4096);
    garbage.close();

    b.hearChannel("12", "154.2500");
    b.hearTalkgroup("4711");
    b.hearChannel("13", "155.0000");
    QCOMPARE(b.auxText(1), QStringLiteral("FREQ: 155.0000"));
    QCOMPARE(b.auxText(2), QStringLiteral("TRANSMITTER CITY"));
    QVERIFY(b.remote.sent.isEmpty());
    QCOMPARE(b.prompter.count("inform"), 1);
}

QTEST_GUILESS_MAIN(TestNameLookup)
#include "test_namelookup.moc"
