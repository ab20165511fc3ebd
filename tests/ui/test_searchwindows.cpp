// The search windows over a live session on the in-process simulator: the range search's refusals and
// hand-over, and a search on the built-in sample viewed, then programmed into a bank with SCAN FREQS.
#include "SessionRig.h"
#include "Settings.h"
#include "faceplate/FaceplateController.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/Pro2052Faceplate.h"
#include "protocol/Commands.h"
#include "search/RemoteDbUrl.h"
#include "search/TransmitterDbDialog.h"
#include "state/Switches.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestSearchWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionRig> m_rig;
    std::unique_ptr<Pro2052Faceplate> m_window;
    std::unique_ptr<FaceplateController> m_controller;

    template <typename T> static T* find(const QString& window, const QString& name) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == window)
                return name.isEmpty() ? qobject_cast<T*>(w) : w->findChild<T*>(name);
        }
        return nullptr;
    }
    void menu(const QString& entry) {
        QTRY_VERIFY_WITH_TIMEOUT(m_rig->commands.contains(QStringLiteral("SI")), 5000);
        m_window->menus()->action(entry)->trigger();
    }
    QString lastMessage() const {
        return m_rig->prompter.calls().isEmpty() ? QString() : m_rig->prompter.calls().last().text;
    }

private Q_SLOTS:
    void init() {
        m_rig = std::make_unique<SessionRig>();
        Session& session = *m_rig->session;
        m_window = std::make_unique<Pro2052Faceplate>(session.display(), session.aux(), session.switches());
        m_controller = std::make_unique<FaceplateController>(session, *m_window, m_rig->prompter, QString());
        m_window->show();
        session.start();
    }
    void cleanup() {
        m_controller.reset();
        m_window.reset();
        m_rig.reset();
    }

    void searchNow_data() {
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("refusal"); // empty: the search starts
        QTest::newRow("not a number") << "15x.5"
                                      << "is not a frequency";
        QTest::newRow("outside the scanner's range") << "1.5"
                                                     << "outside the scanner's range";
        QTest::newRow("lower above upper") << "157"
                                           << "above the upper limit";
        QTest::newRow("accepted") << " 155.5 "
                                  << "";
    }
    void searchNow() {
        QFETCH(QString, low);
        QFETCH(QString, refusal);
        menu("Search");
        QTRY_VERIFY(find<QWidget>("frmSearchRange", {}));
        find<QLineEdit>("frmSearchRange", "tbLowLimit")->setText(low);
        // No controls that nothing reads; the logging box is the search-log switch.
        QVERIFY(!find<QWidget>("frmSearchRange", "listStepSize") && !find<QWidget>("frmSearchRange", "rb30Seconds"));
        auto* logging = find<QCheckBox>("frmSearchRange", "chkEnableLogging");
        QCOMPARE(logging->isChecked(), m_rig->session->switches().searchLogging());
        logging->setChecked(!logging->isChecked());
        const bool wanted = logging->isChecked();
        const qsizetype before = m_rig->commands.size();
        QTest::mouseClick(find<QPushButton>("frmSearchRange", "btnSEARCH"), Qt::LeftButton);
        // Stored as typed (trimmed), whether or not the search may start.
        QCOMPARE(m_rig->session->settings().lowSearch(), low.trimmed());
        if (refusal.isEmpty()) {
            QTRY_VERIFY(m_rig->commands.mid(before).contains(Commands::lowerLimit(155.5)));
            QVERIFY(!find<QWidget>("frmSearchRange", {}));
            QCOMPARE(m_rig->session->switches().searchLogging(), wanted);
            return;
        }
        QVERIFY2(lastMessage().contains(refusal), qPrintable(lastMessage()));
        QTest::qWait(100);
        QVERIFY(!m_rig->commands.mid(before).join(' ').contains("LL"));
        QVERIFY(find<QWidget>("frmSearchRange", {}));
    }

    // The kinds are choices with fields of their own; what is stored is the URL, and it reads back into the
    // same fields with the password hidden.
    void transmitterDbDialog_storesTheUrlOfTheFields_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("fields"); // objectName=text
        QTest::addColumn<QString>("stored");
        QTest::newRow("PostgreSQL") << int(TransmitterDbDialog::Postgres)
                                    << QStringList{"tbHost=db.example.org", "tbDatabase=fcc", "tbUser=radio",
                                                   "tbPassword=pa:ss@word"}
                                    << "postgresql://radio:pa:ss%40word@db.example.org:5432/fcc";
        QTest::newRow("ODBC data source")
            << int(TransmitterDbDialog::Odbc)
            << QStringList{"tbDataSource=Licences", "tbOdbcUser=sa", "tbOdbcPassword=se;cret"}
            << "odbc:DSN=Licences;UID=sa;PWD={se;cret}";
        QTest::newRow("the sample") << int(TransmitterDbDialog::Sample) << QStringList{} << "";
    }

    void transmitterDbDialog_storesTheUrlOfTheFields() {
        QFETCH(int, kind);
        QFETCH(QStringList, fields);
        QFETCH(QString, stored);
        m_rig->session->settings().setRemoteDb("sqlite:/nowhere/else.sqlite");
        for (int round = 0; round < 2; ++round) {
            menu("mnuTransmitterDb");
            QTRY_VERIFY(find<QDialog>("frmTransmitterDb", {}));
            auto* kinds = find<QComboBox>("frmTransmitterDb", "listKind");
            if (round == 0)
                kinds->setCurrentIndex(kind);
            QCOMPARE(kinds->currentIndex(), kind);
            for (const QString& pair : fields) {
                auto* box = find<QLineEdit>("frmTransmitterDb", pair.section('=', 0, 0));
                QVERIFY2(box && box->isVisibleTo(find<QDialog>("frmTransmitterDb", {})), qPrintable(pair));
                if (round == 0)
                    box->setText(pair.section('=', 1));
                else
                    QCOMPARE(box->text(), pair.section('=', 1));
                if (box->objectName().contains("Password"))
                    QCOMPARE(box->echoMode(), QLineEdit::Password);
            }
            find<QDialog>("frmTransmitterDb", {})->accept();
            QTRY_VERIFY(!find<QDialog>("frmTransmitterDb", {}));
            QCOMPARE(m_rig->session->settings().remoteDb(), stored);
        }
    }

    // A file that is not there, or holds no transmitters, is refused at OK, not at search time.
    void transmitterDbDialog_refusesAFileThatCannotWork() {
        QTemporaryDir dir;
        QFile notADatabase(dir.filePath("notes.txt"));
        QVERIFY(notADatabase.open(QIODevice::WriteOnly) && notADatabase.write("just some notes\n") > 0);
        notADatabase.close();
        m_rig->session->settings().setRemoteDb("");
        menu("mnuTransmitterDb");
        QTRY_VERIFY(find<QDialog>("frmTransmitterDb", {}));
        find<QComboBox>("frmTransmitterDb", "listKind")->setCurrentIndex(TransmitterDbDialog::SqliteFile);
        for (const QString& path : {dir.filePath("missing.sqlite"), notADatabase.fileName()}) {
            find<QLineEdit>("frmTransmitterDb", "tbFile")->setText(path);
            find<QDialog>("frmTransmitterDb", {})->accept();
            QVERIFY(find<QDialog>("frmTransmitterDb", {}));
            QVERIFY(!find<QLabel>("frmTransmitterDb", "lblProblem")->text().isEmpty());
            QCOMPARE(m_rig->session->settings().remoteDb(), QString());
        }
        find<QDialog>("frmTransmitterDb", {})->reject();
    }

    // Test connects on a worker and says how many transmitters it sees: the sample holds 32.
    void transmitterDbDialog_testCountsTheTransmitters() {
        m_rig->session->settings().setRemoteDb("");
        menu("mnuTransmitterDb");
        QTRY_VERIFY(find<QDialog>("frmTransmitterDb", {}));
        find<QPushButton>("frmTransmitterDb", "btnTest")->click();
        QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>("frmTransmitterDb", "lblTestResult")->text(),
                                  QStringLiteral("Connected: it holds 32 transmitters."), 10000);
        find<QDialog>("frmTransmitterDb", {})->reject();
    }

    void sampleSearch_viewedThenScannedIntoChosenBank() {
        menu("GetRemoteFreqs");
        QTRY_VERIFY(find<QWidget>("frmRemoteFreqs", {}));
        find<QComboBox>("frmRemoteFreqs", "listSTATE")->setCurrentText("IA");
        find<QLineEdit>("frmRemoteFreqs", "tbCITY")->setText("des moines");
        m_rig->prompter.queueConfirm(true); // view them
        QTest::mouseClick(find<QPushButton>("frmRemoteFreqs", "btnGETFREQS"), Qt::LeftButton);
        QTRY_VERIFY(find<QWidget>("frmSearchResults", {}));
        QCOMPARE(find<QWidget>("frmSearchResults", "tbSearchResults")->property("plainText").toString().count("\n"), 1);

        m_rig->prompter.queueText(QStringLiteral("3"));
        m_rig->prompter.queueConfirm(true);
        const qsizetype before = m_rig->commands.size();
        QTest::mouseClick(find<QPushButton>("frmSearchResults", "btnSCANFREQS"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(lastMessage().contains("restore", Qt::CaseInsensitive), 20000);
        const QStringList sent = m_rig->commands.mid(before);
        // Bank 3 is channels 101 to 150: the two transmitters first, lowest frequency first, then empty channels.
        QVERIFY2(sent.contains(Commands::programChannel(101, 155.775)) &&
                     sent.contains(Commands::programChannel(102, 453.2)) &&
                     sent.contains(Commands::programChannel(150, 0)),
                 qPrintable(sent.join(' ')));
        QVERIFY2(lastMessage().contains("OrvFreqs_PW_DES MOINE_IA scan") && !lastMessage().contains("did not"),
                 qPrintable(lastMessage()));
    }
};

QTEST_MAIN(TestSearchWindows)
#include "test_searchwindows.moc"
