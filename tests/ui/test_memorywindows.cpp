// The backup and restore windows over a session on the in-process simulator: the clicks reach the
// jobs, the windows show what the jobs report, and the scanner goes back to the faceplate at the end.
#include "Pro2052Model.h"
#include "SessionRig.h"
#include "link/SerialLink.h"
#include "memory/MemoryProgressWindow.h"
#include "memory/MemoryWindows.h"
#include "memory/NameEditorWindow.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"
#include "store/StoreTransaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Bench {
    SessionRig rig;
    QWidget faceplate;
    MemoryWindows windows{*rig.session, rig.prompter, &faceplate};

    explicit Bench(const QString& model = QStringLiteral("pro2052"))
        : rig({}, model) {
        rig.session->start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("MUA")), 5000);
    }
    Pro2052Model& model() { return static_cast<Pro2052Model&>(rig.simulator.model()); }
    static QWidget* window(const QString& name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name)
                return w;
        return nullptr;
    }
    template <typename T> static T* in(const QString& windowName, const QString& child) {
        return window(windowName)->findChild<T*>(child);
    }
    static void click(const QString& windowName, const QString& button) {
        QAbstractButton* b = in<QAbstractButton>(windowName, button);
        QVERIFY2(b && b->isVisible(), qPrintable(button));
        b->click();
    }
    QStringList informed() const {
        QStringList texts;
        for (const ScriptedPrompter::Call& call : rig.prompter.calls())
            if (call.kind == QLatin1String("inform"))
                texts << call.text;
        return texts;
    }
    // The hand-back: the closing commands, then mode detection.
    bool handedBack(const QStringList& closing) const {
        const qsizetype at = rig.commands.lastIndexOf(closing.first());
        return at >= 0 && rig.commands.mid(at, closing.size() + 1) == closing + QStringList{QStringLiteral("MD")};
    }
};

} // namespace

class TestMemoryWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A channel that does not answer stalls the backup until Retry; then it runs to the end and hands back.
    void backupWindow_retriesASilentChannel_andDrivesTheJobToTheEnd() {
        Bench b;
        b.rig.simulator.setSilentFromChannel(53);
        b.rig.prompter.queueText(QStringLiteral("Home"));
        b.windows.openBackup();
        QVERIFY(Bench::window(QStringLiteral("BankBackup"))->isVisible());
        Bench::click(QStringLiteral("BankBackup"), QStringLiteral("Check1(2)"));
        Bench::click(QStringLiteral("BankBackup"), QStringLiteral("Backup"));
        QTRY_VERIFY_WITH_TIMEOUT(Bench::in<QLabel>(QStringLiteral("Backup1"), QStringLiteral("lblStall"))
                                     ->text()
                                     .contains(QStringLiteral("channel 053")),
                                 10000);
        b.rig.simulator.clearFaults();
        Bench::click(QStringLiteral("Backup1"), QStringLiteral("btnRetry"));
        QTRY_VERIFY_WITH_TIMEOUT(!b.informed().filter(QStringLiteral("SUCCESSFUL")).isEmpty(), 10000);
        const QProgressBar* bar =
            Bench::in<QProgressBar>(QStringLiteral("Backup1"), QStringLiteral("progressChannels"));
        QCOMPARE(QPair(bar->value(), bar->maximum()), QPair(50, 50));
        const auto sets = BackupSets(b.rig.session->database()).list();
        QCOMPARE(sets->size(), 1);
        QVERIFY(sets->first().name.startsWith(QStringLiteral("Home - ")));
        QCOMPARE(sets->first().channels, 50);
        QTRY_VERIFY(b.handedBack({"IDN", "QUN", "MA001", "KEY00"}));
        QVERIFY(!Bench::window(QStringLiteral("Backup1"))->isVisible());
        QVERIFY(b.faceplate.isVisible());
    }

    // Backup and restore offer the model's banks; the bank types are kept for all twenty on either.
    void windows_offerTheModelsBanks_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("boxes");
        const std::tuple<const char*, const char*, const char*, const char*, int> rows[] = {
            {"PRO-2052 backup", "pro2052", "Backup", "BankBackup", 20},
            {"BC780XLT backup", "bc780xlt", "Backup", "BankBackup", 10},
            {"BC780XLT restore", "bc780xlt", "Restore", "BankRestore", 10},
            {"BC780XLT bank types", "bc780xlt", "TrunkType", "BankType", 20}};
        for (const auto& [row, model, entry, window, boxes] : rows)
            QTest::newRow(row) << QString::fromLatin1(model) << QString::fromLatin1(entry)
                               << QString::fromLatin1(window) << boxes;
    }
    void windows_offerTheModelsBanks() {
        QFETCH(QString, model);
        QFETCH(QString, entry);
        QFETCH(QString, window);
        QFETCH(int, boxes);
        Bench b(model);
        b.rig.prompter.queueText(QStringLiteral("Home"));
        if (entry == QLatin1String("Backup"))
            b.windows.openBackup();
        else if (entry == QLatin1String("Restore"))
            b.windows.openRestore();
        else
            b.windows.openBankTypes(false);
        int found = 0;
        for (const QCheckBox* box : Bench::window(window)->findChildren<QCheckBox*>())
            found += box->objectName().startsWith(QStringLiteral("Check1(")) ? 1 : 0;
        QCOMPARE(found, boxes);
        // No set to restore: nothing to start.
        if (window == QLatin1String("BankRestore"))
            QVERIFY(!Bench::in<QPushButton>(window, QStringLiteral("Restore"))->isEnabled());
    }

    void restoreWindow_listsWhatDidNotTake_retriesIt_thenHandsOverToBankTypes() {
        Bench b;
        BackupSets sets(b.rig.session->database());
        // Channel 4 is a trunked one: the bank-type window takes over at the end.
        for (int n = 1; n <= 4; ++n)
            QVERIFY(sets.appendChannel(
                QStringLiteral("Four"),
                {n, QStringLiteral("15%1.0000").arg(n), 150.0 + n, n == 4, false, false, false, {}}));
        b.model().setRefusedChannel(3);
        b.windows.openRestore();
        QVERIFY(!b.faceplate.isVisible());
        QCOMPARE(Bench::in<QComboBox>(QStringLiteral("BankRestore"), QStringLiteral("listBackupSet"))->currentText(),
                 QStringLiteral("Four"));
        QVERIFY(Bench::in<QCheckBox>(QStringLiteral("BankRestore"), QStringLiteral("chkSafetyBackup"))->isChecked());
        Bench::click(QStringLiteral("BankRestore"), QStringLiteral("Restore"));

        const auto failed = [] {
            return Bench::in<QListWidget>(QStringLiteral("Restore1"), QStringLiteral("lstFailed"));
        };
        QTRY_VERIFY_WITH_TIMEOUT(failed()->isVisible(), 10000);
        QCOMPARE(failed()->item(0)->text(), QStringLiteral("Channel 003"));
        QVERIFY(b.informed().filter(QStringLiteral("SUCCESSFUL")).isEmpty());
        QCOMPARE(sets.list()->size(), 2); // the set and its safety backup

        b.model().setRefusedChannel(0);
        Bench::click(QStringLiteral("Restore1"), QStringLiteral("btnRetryFailed"));
        QTRY_VERIFY_WITH_TIMEOUT(!b.informed().filter(QStringLiteral("SUCCESSFUL")).isEmpty(), 10000);
        QTRY_VERIFY(Bench::window(QStringLiteral("BankType")) &&
                    Bench::window(QStringLiteral("BankType"))->isVisible());
        QVERIFY(Bench::in<QCheckBox>(QStringLiteral("BankType"), QStringLiteral("Check1(1)"))->isChecked());
        QTRY_VERIFY(b.rig.commands.mid(b.rig.commands.lastIndexOf(QStringLiteral("MA004"))).contains("MD"));
        QVERIFY(b.faceplate.isVisible());
    }

    // Every text of the progress window shows whole, the bank and channel are not boxes to type into, the
    // bar does not count before there is anything to count, and there is one way to stop.
    void progressWindow_fitsItsTexts_andOffersOneStop() {
        MemoryProgressWindow window(QStringLiteral("Restore1"), QStringLiteral("Valdoria2052/Pro"),
                                    QStringLiteral("Restoring from PC to scanner"));
        QSignalSpy stop(&window, &MemoryProgressWindow::stopRequested);
        QSignalSpy cancel(&window, &MemoryProgressWindow::cancelRequested);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.findChildren<QLineEdit*>().isEmpty());
        QCOMPARE(window.findChild<QProgressBar*>("progressChannels")->text(), QStringLiteral("Not started yet"));

        window.setText5(QStringLiteral("Restore of \"Home - 12/7/26\": 1000 channels programmed and read back the "
                                       "same; the safety backup \"Before restore of Home - 12/7/26 14:02\" holds "
                                       "what they held before."));
        window.showStall(QStringLiteral("The scanner did not answer for channel 053. Is it switched on and "
                                        "connected? Retry asks again; Stop ends here and keeps what is done."));
        const auto clipped = [&window] {
            QStringList out;
            for (QLabel* label : window.findChildren<QLabel*>()) {
                if (!label->isVisibleTo(&window) || label->text().isEmpty())
                    continue;
                const QSize needed(label->wordWrap() ? 0 : label->sizeHint().width(),
                                   label->wordWrap() ? label->heightForWidth(label->width())
                                                     : label->sizeHint().height());
                const QRect inWindow(label->mapTo(&window, QPoint(0, 0)), label->size());
                if (label->width() < needed.width() || label->height() < needed.height() ||
                    !window.rect().contains(inWindow))
                    out << label->objectName() + QLatin1Char(':') + label->text().left(20);
            }
            return out;
        };
        QTRY_COMPARE(clipped(), QStringList());

        const auto stopButtons = [&window] {
            int shown = 0;
            for (QPushButton* b : window.findChildren<QPushButton*>())
                shown += b->isVisibleTo(&window) && (b->text() == "Stop" || b->text() == "Cancel");
            return shown;
        };
        QCOMPARE(stopButtons(), 1);
        window.findChild<QPushButton*>("btnStop")->click();
        QCOMPARE(QPair(int(stop.count()), int(cancel.count())), QPair(1, 0));
        window.hideStall();
        QCOMPARE(stopButtons(), 1);
        window.findChild<QPushButton*>("btnStop")->click();
        QCOMPARE(QPair(int(stop.count()), int(cancel.count())), QPair(1, 1));
    }

    // The count under the set list is what the scanner will see: channels given a frequency, and the empty
    // channels of a full backup, which the restore clears.
    void restoreWindow_countsWhatTheSetDoesInTheTickedBanks_data() {
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("inUse");
        QTest::addColumn<QString>("said");
        QTest::newRow("one bank backed up") << "Home" << 50 << 50 << "This set will change 50 channels.";
        QTest::newRow("every bank backed up, 50 in use")
            << "Home" << 1000 << 50 << "This set will change 50 channels and clear 950.";
        QTest::newRow("search set") << "OrvFreqs_PW_Reno" << 2 << 2
                                    << "This set will change 40 channels, the same in each ticked bank.";
    }

    void restoreWindow_countsWhatTheSetDoesInTheTickedBanks() {
        QFETCH(QString, set);
        QFETCH(int, rows);
        QFETCH(int, inUse);
        QFETCH(QString, said);
        Bench b;
        BackupSets sets(b.rig.session->database());
        StoreTransaction writing(b.rig.session->database());
        for (int n = 1; n <= rows; ++n) {
            const bool used = n <= inUse;
            QVERIFY(sets.appendChannel(
                set, {.channel = n,
                      .frequencyText = used ? QStringLiteral("155.%1").arg(n, 4, 10, QLatin1Char('0')) : "000.000",
                      .frequency = used ? 155.0 + n / 10000.0 : 0.0,
                      .lockout = !used}));
        }
        QVERIFY(writing.commit());
        b.windows.openRestore();
        QCOMPARE(Bench::in<QLabel>(QStringLiteral("BankRestore"), QStringLiteral("lblChanges"))->text(), said);
    }

    // The grids show their headings and nothing else, however often rows are added and the window reopened;
    // the bank editor shows frequencies as the scanner does.
    void editors_showTheirHeadingsOnly_afterAddAndReopen_data() {
        QTest::addColumn<bool>("banks");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QStringList>("frequencies"); // of channels 48 and 49
        QTest::newRow("bank editor") << true << "Valdoria2052/Pro - BANK 1"
                                     << QStringList{"CHAN", "FREQ", "TRNK",         "DLY",
                                                    "L/O",  "PRI",  "ALPHA TAG #1", "ALPHA TAG #2"}
                                     << QStringList{"463.0000", "154.2500"};
        QTest::newRow("talkgroup editor")
            << false << "Valdoria2052/Pro - TalkGroup IDs" << QStringList{"TG ID", "CITY", "SERVICE NOTES", "ALPHA TAG"}
            << QStringList{};
    }

    void editors_showTheirHeadingsOnly_afterAddAndReopen() {
        QFETCH(bool, banks);
        QFETCH(QString, heading);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, frequencies);
        Bench bench;
        for (const auto& [channel, mhz] : {std::pair(48, 463.0), std::pair(49, 154.25)})
            QVERIFY(bench.rig.session->database().insertRow("BANK01", {{"CHANNEL", channel}, {"FREQUENCY", mhz}}));
        bench.windows.openEditor(banks);
        auto& editor = *qobject_cast<NameEditorWindow*>(Bench::window(banks ? "frmEditBank2" : "frmEditTrunkID"));
        QCOMPARE(editor.findChild<QLabel*>(QStringLiteral("lblHeading"))->text(), heading);
        const int freq = editor.model().record().indexOf("FREQUENCY");
        QStringList texts;
        for (int row = 0; freq >= 0 && row < editor.model().rowCount(); ++row) {
            const int channel = editor.model().record(row).value("CHANNEL").toInt();
            if (channel == 48 || channel == 49)
                texts << editor.model().index(row, freq).data().toString();
        }
        QCOMPARE(texts, frequencies);
        const auto shown = [&editor] {
            QStringList texts;
            QHeaderView* header = editor.grid()->horizontalHeader();
            for (int visual = 0; visual < header->count(); ++visual) {
                const int column = header->logicalIndex(visual);
                if (!editor.grid()->isColumnHidden(column))
                    texts << editor.model().headerData(column, Qt::Horizontal).toString();
            }
            return texts;
        };
        const int columns = editor.model().columnCount();
        QCOMPARE(shown(), headings);
        for (int round = 0; round < 2; ++round) {
            editor.findChild<QPushButton*>("btnAddRow")->click();
            editor.close();
            editor.open();
            QCOMPARE(shown(), headings);
            QCOMPARE(editor.model().columnCount(), columns);
        }
        // The key the rows are stored by is never a cell anyone can type into.
        const int key = editor.model().record().indexOf("rowid");
        QVERIFY(key >= 0 && editor.model().rowCount() > 0);
        QVERIFY(editor.grid()->isColumnHidden(key));
        QVERIFY(!(editor.model().flags(editor.model().index(0, key)) & Qt::ItemIsEditable));
    }

    void talkgroupEditor_importsAllOrNothing_andExports() {
        Bench bench;
        Session& session = *bench.rig.session;
        NameEditorWindow editor(NameTableModel::Kind::Talkgroups, session.database(), session.clock(), "Valdoria", 20);
        editor.open();
        const int before = editor.model().rowCount();
        QTemporaryDir dir;
        const auto write = [&dir](const char* name, const QByteArray& text) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        };
        const QByteArray header = "Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category\n";
        write("bad.csv", header + "9001,2329,Fire Main,D,Fire dispatch,Fire Dispatch,County\nx,1,Bad,D,,,\n");
        write("good.csv", header + "9001,2329,Fire Main,D,Fire dispatch,Fire Dispatch,County\n");
        auto* status = editor.findChild<QLabel*>("lblStatus");

        editor.importTalkgroups(dir.filePath("bad.csv"));
        QCOMPARE(editor.model().rowCount(), before);
        QVERIFY2(status->text().contains("line 3"), qPrintable(status->text()));
        editor.importTalkgroups(dir.filePath("good.csv"));
        QCOMPARE(editor.model().rowCount(), before + 1);
        QVERIFY2(status->text().contains("1 added"), qPrintable(status->text()));

        editor.exportTalkgroups(dir.filePath("out.csv"));
        QFile out(dir.filePath("out.csv"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray exported = out.readAll();
        QVERIFY(exported.startsWith(header.trimmed()) && exported.contains("9001,2329,Fire Main"));
    }
};

QTEST_MAIN(TestMemoryWindows)
#include "test_memorywindows.moc"
