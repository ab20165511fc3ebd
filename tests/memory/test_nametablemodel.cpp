#include "MonitorRig.h"
#include "logging/NameLookup.h"
#include "memory/NameTableModel.h"
#include "store/LocalDatabase.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

struct Bench : MonitorContextRig {
    QTemporaryDir dir;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    NameLookup lookup{ctx};
    int heard = 0;

    Bench() {
        state.gDb = &db;
        aux.setWindowVisible(true);
    }
    void set(NameTableModel& m, int row, const char* column, const QVariant& value, int role = Qt::EditRole) {
        QVERIFY2(m.setData(m.index(row, m.fieldIndex(QLatin1String(column))), value, role), column);
    }
    // The lookup names a frequency once: each hearing comes on a new one.
    QString heardName(const QString& channel) {
        state.gChannelText = channel;
        state.gFreqText = QString::number(154.25 + ++heard);
        lookup.lookupChannel();
        return aux.text(QStringLiteral("Text2"), 3);
    }
};

} // namespace

class TestNameTableModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestNameTableModel)
#include "test_nametablemodel.moc"
