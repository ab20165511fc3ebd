// Not a test: opens every window of the program over the in-process simulator and saves a picture of each,
// so the windows can be looked at as a user sees them. Run it offscreen at each scale:
//   QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1.5 build/tools/windowshots/valdoria_windowshots OUT_DIR
#include "ActivityScript.h"
#include "DemoNames.h"
#include "SessionRig.h"
#include "faceplate/Bc780Faceplate.h"
#include "faceplate/FaceplateController.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/Pro2052Faceplate.h"
#include "memory/MemoryProgressWindow.h"
#include "search/TransmitterDbDialog.h"
#include "shell/QtPrompter.h"
#include "state/Switches.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSet>
#include <QTimer>

#include <memory>

namespace {

QString g_out;
QSet<QString> g_taken;

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void shoot(QWidget* w, const QString& name) {
    // As the window stands: the size it opened at, or grew to.
    wait(150);
    const QString file = QDir(g_out).filePath(name + QStringLiteral(".png"));
    w->grab().save(file);
    g_taken.insert(name);
}

// Every visible window not photographed yet, then closed unless it is the faceplate.
void shootNew(const QString& prefix, QWidget* keep) {
    wait(400);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w == keep)
            continue;
        QString name =
            prefix + (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
        if (g_taken.contains(name))
            continue;
        shoot(w, name);
    }
}

void closeAllBut(QWidget* keep) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != keep)
            w->close();
    wait(200);
}

void faceplateRound(const QString& model) {
    SessionRig rig({}, model);
    Session& session = *rig.session;
    const bool bc = model == QLatin1String("bc780xlt");
    std::unique_ptr<FaceplateWindow> window;
    if (bc)
        window = std::make_unique<Bc780Faceplate>(session.display(), session.aux(), session.switches());
    else
        window = std::make_unique<Pro2052Faceplate>(session.display(), session.aux(), session.switches());
    FaceplateController controller(session, *window, rig.prompter, QStringLiteral("Created: Dec 7, 2026"));
    window->show();
    session.start();
    DemoNames::seed(session.database(), ActivityScript::defaultScript());
    session.switches().setScanLogging(true);
    session.switches().setTrunkLogging(true);
    session.switches().setSearchLogging(true);
    wait(1500);
    window->menus()->action(QStringLiteral("mnuAuxDisp"))->trigger();
    rig.simulator.startActivity();
    wait(4000);
    const QString prefix = model + QLatin1Char('-');
    shoot(window.get(), prefix + QStringLiteral("faceplate"));
    if (bc)
        return;
    const char* entries[] = {"mnuAuxDisp", "mnuActivity", "Search", "EditBanks",         "EditTalkGroups",
                             "TrunkType",  "Restore",     "About",  "mnuGettingStarted", "GetRemoteFreqs"};
    for (const char* entry : entries) {
        window->menus()->action(QLatin1String(entry))->trigger();
        shootNew(prefix, window.get());
        if (QLatin1String(entry) != QLatin1String("mnuAuxDisp"))
            closeAllBut(window.get());
        if (QLatin1String(entry) == QLatin1String("mnuActivity")) {
            // What the logs of this run hold, for reading the names they carry.
            QFile log(QDir(rig.dir.path())
                          .filePath(QStringLiteral("LOGS/SCAN/") +
                                    session.clock().date().toString(QStringLiteral("yyyyMMdd")) +
                                    QStringLiteral(".log")));
            if (log.open(QIODevice::ReadOnly))
                QFile::copy(log.fileName(), QDir(g_out).filePath(prefix + QStringLiteral("scan.log")));
        }
    }
    // The transmitter database, one picture per kind.
    for (int kind = 0; kind < 4; ++kind) {
        TransmitterDbDialog dialog(session.settings(), window.get());
        dialog.findChild<QComboBox*>(QStringLiteral("listKind"))->setCurrentIndex(kind);
        dialog.show();
        shoot(&dialog, prefix + QStringLiteral("frmTransmitterDb-%1").arg(kind));
    }
    // A backup of bank 1, photographed while it runs and at its end.
    rig.prompter.queueText(QStringLiteral("Home"));
    window->menus()->action(QStringLiteral("Backup"))->trigger();
    shootNew(prefix, window.get());
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("BankBackup")) {
            w->findChild<QAbstractButton*>(QStringLiteral("Check1(1)"))->click();
            w->findChild<QAbstractButton*>(QStringLiteral("Backup"))->click();
        }
    }
    wait(300);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Backup1"))
            shoot(w, prefix + QStringLiteral("Backup1-running"));
    wait(4000);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Backup1") && w->isVisible())
            shoot(w, prefix + QStringLiteral("Backup1-end"));
    closeAllBut(window.get());
    // The port goes away: the display goes dead under NO LINK.
    rig.simulator.injectFault(Simulator::Fault::HangUp);
    wait(1000);
    shoot(window.get(), prefix + QStringLiteral("faceplate-nolink"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(g_out);
    faceplateRound(QStringLiteral("pro2052"));
    faceplateRound(QStringLiteral("bc780xlt"));

    // The progress window with its longest texts, and the wipe question.
    MemoryProgressWindow progress(QStringLiteral("Restore1"), QStringLiteral("Valdoria2052/Pro"),
                                  QStringLiteral("Restoring from PC to scanner"));
    progress.show();
    progress.setChannel(2, 53);
    progress.setProgress(52, 1000, 118);
    progress.setText5(QStringLiteral("Safety backup \"Before restore of Home - 12/7/26 14:02\": 1000 channels stored. "
                                     "Restoring from PC to scanner"));
    progress.showStall(QStringLiteral("The scanner did not answer for channel 053. Is it switched on and connected? "
                                      "Retry asks again; Stop ends here and keeps what is done."));
    shoot(&progress, QStringLiteral("Restore1-stall"));
    progress.hideStall();
    progress.showFailures({QStringLiteral("Channel 003"), QStringLiteral("Channel 017")});
    progress.showFinished();
    progress.setText5(QStringLiteral("Set \"Home - 12/7/26\": 998 of 1000 channels took; these did not: 3, 17."));
    shoot(&progress, QStringLiteral("Restore1-failures"));
    QtPrompter prompter;
    prompter.confirm(QStringLiteral("WIPE OUT SCANNER MEMORY?"),
                     QStringLiteral("Are you ABSOLUTELY SURE\r\nthat you want to restore the scanner to\r\n"
                                    "FACTORY DEFAULTS?"),
                     Prompter::Icon::Warning, [](bool) {});
    shootNew(QStringLiteral("prompt-"), &progress);
    return 0;
}
