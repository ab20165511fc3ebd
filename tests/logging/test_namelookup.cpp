#include "MonitorRig.h"
#include "logging/NameLookup.h"
#include "memory/NameTableModel.h"
#include "store/LocalDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The auxiliary window open, an empty database; the name grids write to it what the lookup reads.
struct Bench : MonitorContextRig {
    QTemporaryDir dir;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    NameLookup lookup{ctx};

    explicit Bench(quint8 model = ScannerModel::Pro2052)
        : MonitorContextRig(model) {
        clock.set(QDate(2001, 2, 15), QTime(15, 4, 5));
        state.gDb = &db;
        aux.setWindowVisible(true);
    }

    QStringList auxLines() const {
        return {aux.text("Text2", 1), aux.text("Text2", 2), aux.text("Text2", 3), aux.text("Text2", 4)};
    }
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
    // The lookup names a frequency once: each hearing comes on a new one.
    QString heardName(const QString& channel) {
        hearChannel(channel, QString::number(154.25 + ++heard));
        return aux.text("Text2", 3);
    }
    void set(NameTableModel& m, int row, const char* column, const QVariant& value, int role = Qt::EditRole) {
        QVERIFY2(m.setData(m.index(row, m.fieldIndex(QLatin1String(column))), value, role), column);
    }
    int heard = 0;
};

} // namespace

class TestNameLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void channel_looksOnlyInTheTableOfItsBank_data() {
        QTest::addColumn<QString>("channelText");
        QTest::addColumn<int>("stored"); // the channel number each bank table holds a row for
        QTest::addColumn<QString>("table");
        QTest::newRow("50 is the last of bank 1") << "50" << 50 << "BANK01";
        QTest::newRow("51 is the first of bank 2") << "51" << 51 << "BANK02";
        QTest::newRow("1000 in bank 20") << "1000" << 1000 << "BANK20";
        QTest::newRow("leading blanks and trailing text") << "  051x" << 51 << "BANK02";
        QTest::newRow("no row for channel 13") << "13" << 12 << "";
        QTest::newRow("channel 0 has no bank") << "0" << 0 << "";
        QTest::newRow("channel 1001 has no bank") << "1001" << 1001 << "";
        QTest::newRow("beyond 16 bits, not channel 1") << "65537" << 1 << "";
    }

    void channel_looksOnlyInTheTableOfItsBank() {
        QFETCH(QString, channelText);
        QFETCH(int, stored);
        QFETCH(QString, table);
        Bench b;
        // The same channel in every bank table, named after its table: only the bank's own may answer.
        for (int bank = 1; bank <= 20; ++bank)
            b.addChannel(LocalDatabase::bankTableName(bank), stored, LocalDatabase::bankTableName(bank), "tag");
        b.hearChannel(channelText);
        if (table.isEmpty()) {
            QCOMPARE(b.auxLines(), (QStringList{"FREQ: 154.2500", "TRANSMITTER CITY", "SERVICE DESCRIPTION",
                                                "ADDITIONAL USER NOTES"}));
            QVERIFY(b.remote.sent.isEmpty());
        } else {
            QCOMPARE(b.aux.text("Text2", 3), table);
            QCOMPARE(b.state.gBank, table.right(2).toInt());
        }
    }

    void channel_namesGoToAuxAndRemote_onceForTheSameFrequency_data() {
        QTest::addColumn<QVariant>("company");
        QTest::addColumn<QVariant>("tag");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("name");
        const QStringList first{"AUX1FREQ: 154.2500\r", "AUX2CHAN: 12\r"};
        QTest::newRow("both") << QVariant("CITY PD") << QVariant("DISPATCH")
                              << first + QStringList{"AUX3CITY PD\r", "AUX4DISPATCH\r"} << "CITY PD / DISPATCH";
        QTest::newRow("empty company") << QVariant("") << QVariant("DISPATCH") << first + QStringList{"AUX4DISPATCH\r"}
                                       << "DISPATCH";
        QTest::newRow("no alpha tag") << QVariant("CITY PD") << QVariant() << first + QStringList{"AUX3CITY PD\r"}
                                      << "CITY PD";
        // A tag that repeats the company is named once.
        QTest::newRow("tag same as company")
            << QVariant("County Fire") << QVariant("county fire")
            << first + QStringList{"AUX3County Fire\r", "AUX4county fire\r"} << "County Fire";
    }

    void channel_namesGoToAuxAndRemote_onceForTheSameFrequency() {
        QFETCH(QVariant, company);
        QFETCH(QVariant, tag);
        QFETCH(QStringList, sent);
        QFETCH(QString, name);
        Bench b;
        b.addChannel("BANK01", 12, company, tag);
        b.aux.setText("Text2", 3, "old name");
        b.aux.setText("Text2", 4, "old notes");
        b.state.gChannelText = QStringLiteral("12");
        b.state.gFreqText = QStringLiteral("154.2500");
        QCOMPARE(b.lookup.lookupChannel(), name);
        QCOMPARE(b.remote.sent, sent);
        QCOMPARE(b.auxLines(), (QStringList{"FREQ: 154.2500", "CHAN: 12", company.toString(), tag.toString()}));
        const int queries = b.db.statementCount();
        b.hearChannel("12");
        QCOMPARE(b.db.statementCount(), queries);
        QCOMPARE(b.remote.sent, sent);
    }

    void auxHidden_doesNothing() {
        Bench b;
        b.addChannel("BANK01", 12, "CITY PD", "DISPATCH");
        b.aux.setWindowVisible(false);
        const int queries = b.db.statementCount();
        b.hearChannel("12");
        b.hearTalkgroup("4711");
        QCOMPARE(b.db.statementCount(), queries);
        QCOMPARE(b.aux.text("Text2", 1), QStringLiteral("FREQUENCY & TALKGROUP ID"));
        QVERIFY(b.remote.sent.isEmpty());
    }

    void talkgroup_newIdAddedOnceThenFound() {
        Bench b;
        b.hearTalkgroup("");
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
        b.hearTalkgroup("O'Neil 42");
        QCOMPARE(b.auxLines(), (QStringList{"Talkgroup ID: O'Neil 42", "Unknown", "Unknown", "Added by Valdoria"}));
        const RowLookup added = b.db.findTalkgroup("O'Neil 42");
        QVERIFY(added.row);
        QStringList stored;
        for (const char* column : {"CITY", "SERVICE_DESC", "ALPHA_TAG", "DATE", "TIME"})
            stored << added.row->value(column).toString();
        QCOMPARE(stored.join('|'), QStringLiteral("Unknown|Unknown|Added by Valdoria|2001-02-15|15:04:05"));
        // Heard again after the operator named it, and after field 1 showed something else.
        QVERIFY(b.db.exec("UPDATE TALKGROUPS SET CITY = ? WHERE ID = ?", {"Elm Grove", "O'Neil 42"}));
        b.hearChannel("13");
        b.hearTalkgroup("O'Neil 42");
        QCOMPARE(b.aux.text("Text2", 2), QStringLiteral("Elm Grove"));
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
        QVERIFY(b.remote.sent.isEmpty());
    }

    void bc780_namesGoToFaceplateInBlack() {
        Bench b(ScannerModel::Bc780xlt);
        b.aux.setWindowVisible(false);
        b.addChannel("BANK10", 460, "CITY PD", QVariant());
        b.display.setText("Text2(4)", "SCANNER TAG");
        b.display.setForeColor("Text2(3)", 0x1F6FF3);
        b.hearChannel("460");
        // A tag without a value leaves the scanner's own line; the same frequency is looked up again.
        const int queries = b.db.statementCount();
        b.hearChannel("460");
        QCOMPARE(b.db.statementCount(), queries + 1);
        QCOMPARE(b.display.text("Text2(3)") + "|" + b.display.text("Text2(4)"), QStringLiteral("CITY PD|SCANNER TAG"));
        QCOMPARE(b.display.foreColor("Text2(3)"), 0u);
        QCOMPARE(b.remote.sent, QStringList{"AUX3CITY PD\r"});

        b.hearTalkgroup("");
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 0);
        b.hearTalkgroup("2416");
        QCOMPARE(b.display.text("tbTONES") + "|" + b.display.text("Text2(4)"),
                 QStringLiteral("2416|Added by Valdoria"));
        const RowLookup found = b.db.findTalkgroup("2416");
        QVERIFY(found.row && !found.row->value("NOTES").isNull());
        QVERIFY(b.db.exec("UPDATE TALKGROUPS SET SERVICE_DESC = ?", {"Fire"}));
        b.hearTalkgroup("2416");
        QCOMPARE(b.display.text("Text2(3)"), QStringLiteral("Fire"));
        QCOMPARE(b.db.rowCount("TALKGROUPS"), 1);
    }

    void unusableDatabase_lookupsCarryOnQuietly() {
        Bench b;
        QFile blocker(b.dir.filePath("Data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        b.hearChannel("12");
        b.hearTalkgroup("4711");
        b.hearChannel("13", "155.0000");
        QCOMPARE(b.auxLines().mid(0, 2), (QStringList{"FREQ: 155.0000", "TRANSMITTER CITY"}));
        QVERIFY(b.remote.sent.isEmpty());
        QCOMPARE(b.prompter.count("inform"), 1);
    }

    // A row typed into bank 3's grid is what the lookup shows for its channel, through every later change.
    void bankGridEdit_isWhatTheChannelLookupReads() {
        Bench b;
        NameTableModel m(NameTableModel::Kind::Bank, b.db, b.clock);
        QVERIFY(m.showBank(3));
        const int row = m.addRow();
        QVERIFY(row >= 0);
        b.set(m, row, "CHANNEL", 120);
        b.set(m, row, "COMPANY_NAME", "County Fire");
        QCOMPARE(b.heardName("120"), QStringLiteral("County Fire"));
        b.set(m, row, "DELAY", Qt::Checked, Qt::CheckStateRole);
        b.set(m, row, "COMPANY_NAME", "County Fire Dispatch");
        QCOMPARE(b.heardName("120"), QStringLiteral("County Fire Dispatch"));
        QCOMPARE(b.db.findBankChannel(3, 120).row->value(QStringLiteral("DELAY")).toInt(), 1);
        QVERIFY(m.deleteRow(row));
        QVERIFY(!b.db.findBankChannel(3, 120).row);
    }

    void addRow_takesTheBanksFirstFreeChannel_data() {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<int>("added");
        QTest::newRow("empty bank") << QList<int>{} << 51;
        QTest::newRow("after the rows there are") << QList<int>{51, 52, 54} << 53;
        QList<int> full;
        for (int c = 51; c <= 100; ++c)
            full << c;
        QTest::newRow("full bank") << full << 51;
    }

    void addRow_takesTheBanksFirstFreeChannel() {
        QFETCH(QList<int>, present);
        QFETCH(int, added);
        Bench b;
        for (int channel : present)
            QVERIFY(b.db.insertRow(QStringLiteral("BANK02"), {{QStringLiteral("CHANNEL"), channel}}));
        NameTableModel m(NameTableModel::Kind::Bank, b.db, b.clock);
        QVERIFY(m.showBank(2));
        const int row = m.addRow();
        QCOMPARE(m.data(m.index(row, m.fieldIndex(QStringLiteral("CHANNEL")))).toInt(), added);
        QCOMPARE(b.db.rowCount(QStringLiteral("BANK02")), present.size() + 1);
    }

    void grids_showTheirHeadingsInOrder_sortedByChannelOrId() {
        Bench b;
        for (const char* id : {"10", "A1", "2"})
            QVERIFY(b.db.addTalkgroup({QLatin1String(id), {}, {}, {}, {}, {}, {}}));
        for (int channel : {7, 3})
            QVERIFY(b.db.insertRow(QStringLiteral("BANK01"), {{QStringLiteral("CHANNEL"), channel}}));
        NameTableModel talkgroups(NameTableModel::Kind::Talkgroups, b.db, b.clock);
        NameTableModel bank(NameTableModel::Kind::Bank, b.db, b.clock);
        QVERIFY(bank.showBank(1));
        QStringList seen;
        for (NameTableModel* m : {&talkgroups, &bank}) {
            for (int column : m->shownColumns())
                seen << m->headerData(column, Qt::Horizontal).toString();
            for (int r = 0; r < m->rowCount(); ++r)
                seen << m->data(m->index(r, m->shownColumns().first())).toString();
        }
        QCOMPARE(seen, (QStringList{"TG ID", "CITY", "SERVICE NOTES", "ALPHA TAG", "A1", "2", "10", "CHAN", "FREQ",
                                    "TRNK", "DLY", "L/O", "PRI", "ALPHA TAG #1", "ALPHA TAG #2", "3", "7"}));
    }
};

QTEST_GUILESS_MAIN(TestNameLookup)
#include "test_namelookup.moc"
