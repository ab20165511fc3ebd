// The backup and restore windows over a session on the in-process simulator: the clicks reach the
// jobs, the windows show what the jobs report, and the scanner goes back to the faceplate at the end.
#include "Pro2052Model.h"
#include "SessionRig.h"
#include "link/SerialLink.h"
#include "memory/MemoryWindows.h"
#include "memory/NameEditorWindow.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Bench {
    SessionRig rig;
    QWidget faceplate;
    MemoryWindows windows{*rig.session, rig.prompter, &faceplate};

    Bench() {
        rig.session->start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("SI")), 5000);
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
    void backupWindow_drivesTheJobToTheEnd_data() {
        QTest::addColumn<int>("silentFrom"); // 0: the scanner answers every read
        QTest::newRow("every channel answers") << 0;
        QTest::newRow("a silent channel, Retry") << 53;
    }

    void backupWindow_drivesTheJobToTheEnd() {
        QFETCH(int, silentFrom);
        Bench b;
        b.rig.simulator.setSilentFromChannel(silentFrom);
        b.rig.prompter.queueText(QStringLiteral("Home"));
        b.windows.openBackup();
        QVERIFY(Bench::window(QStringLiteral("BankBackup"))->isVisible());
        Bench::click(QStringLiteral("BankBackup"), QStringLiteral("Check1(2)"));
        Bench::click(QStringLiteral("BankBackup"), QStringLiteral("Backup"));
        if (silentFrom) {
            QTRY_VERIFY_WITH_TIMEOUT(Bench::in<QLabel>(QStringLiteral("Backup1"), QStringLiteral("lblStall"))
                                         ->text()
                                         .contains(QStringLiteral("channel 053")),
                                     10000);
            b.rig.simulator.clearFaults();
            Bench::click(QStringLiteral("Backup1"), QStringLiteral("btnRetry"));
        }
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
        QCOMPARE(Bench::in<QLabel>(QStringLiteral("BankRestore"), QStringLiteral("lblChanges"))->text(),
                 QStringLiteral("This set will change 4 channels."));
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
