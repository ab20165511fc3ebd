#include "AboutWindow.h"
#include "AuxDisplayWindow.h"
#include "QtPrompter.h"
#include "SplashWindow.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "shell/StartupInfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

namespace {
template <typename T> T* openDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<T*>(w); d && d->isVisible())
            return d;
    return nullptr;
}

QString labelText(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}
} // namespace

class TestShellWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void splash_namesTheScanner_data();
    void splash_namesTheScanner();
    void splash_finishesWhenItsTimeIsUp();
    void splash_ignoresKeys();
    void about_showsTitleVersionAndSystem();
    void about_okClosesAndItIsNotModal();
    void aux_showsItsLinesAndFollowsTheModel();
    void aux_closingHidesItInTheModel();
    void auxPlacement_data();
    void auxPlacement();
    void prompter_iconsMapped_data();
    void prompter_iconsMapped();
    void prompter_informReturnsBeforeTheAnswer();
    void prompter_confirm_data();
    void prompter_confirm();
    void prompter_askText_data();
    void prompter_askText();
};

void TestShellWindows::cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(w))
            w->deleteLater();
}

void TestShellWindows::splash_namesTheScanner_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("maker");
    QTest::addColumn<QString>("name");
    QTest::newRow("PRO-2052") << 1 << QStringLiteral("RadioShack\u00AE") << "Pro-2052";
    QTest::newRow("code 3") << 3 << QStringLiteral("Uniden\u00AE") << "BC780XLT";
    QTest::newRow("code 2") << 2 << QStringLiteral("Uniden\u00AE") << "BC780XLT";
}

void TestShellWindows::splash_namesTheScanner() {
    QFETCH(int, model);
    QFETCH(QString, maker);
    QFETCH(QString, name);
    SplashWindow splash(model, QStringLiteral("Valdoria2052/Pro"), QStringLiteral("Created: May 12, 2001"));
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QCOMPARE(labelText(&splash, "lblManuf"), maker);
    QCOMPARE(labelText(&splash, "lblModel"), name);
    QCOMPARE(labelText(&splash, "lblProductName1"), QStringLiteral("Valdoria2052/Pro"));
    QCOMPARE(labelText(&splash, "lblOnlineData"), QStringLiteral("Online Data Search Option ENABLED"));
    QCOMPARE(labelText(&splash, "lblVersion1"), QStringLiteral("Version %1.%2.%3 - Created: May 12, 2001")
                                                    .arg(VALDORIA_VERSION_MAJOR)
                                                    .arg(VALDORIA_VERSION_MINOR)
                                                    .arg(VALDORIA_VERSION_PATCH));
    QVERIFY(labelText(&splash, "LblWebSite").contains(QLatin1String("href=")));
}

void TestShellWindows::splash_finishesWhenItsTimeIsUp() {
    SplashWindow splash(1, QStringLiteral("Valdoria2052/Pro"), {}, 150);
    QSignalSpy finished(&splash, &SplashWindow::finished);
    QElapsedTimer clock;
    clock.start();
    splash.start();
    // start() returns at once with the window up; the time runs in the event loop.
    QVERIFY(splash.isVisible());
    QCOMPARE(finished.count(), 0);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(clock.elapsed() >= 140);
}

void TestShellWindows::splash_ignoresKeys() {
    SplashWindow splash(1, QStringLiteral("Valdoria2052/Pro"), {}, 60000);
    QSignalSpy finished(&splash, &SplashWindow::finished);
    splash.start();
    QTest::keyClick(&splash, Qt::Key_Escape);
    QTest::keyClick(&splash, Qt::Key_Return);
    QTest::keyClick(&splash, Qt::Key_A);
    QVERIFY(splash.isVisible());
    QCOMPARE(finished.count(), 0);
}

void TestShellWindows::about_showsTitleVersionAndSystem() {
    AboutWindow about(QStringLiteral("Valdoria2052/Pro"), QStringLiteral("Created: Sept 5, 2000"));
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(labelText(&about, "Label1"), QStringLiteral("Valdoria2052/Pro"));
    QCOMPARE(labelText(&about, "Label4"), StartupInfo::versionLine(QStringLiteral("Created: Sept 5, 2000")));
    QCOMPARE(labelText(&about, "lblRunningOn"), QStringLiteral("Running On: ") + QSysInfo::prettyProductName());
    QVERIFY(labelText(&about, "Label5").contains(QLatin1String("manual.md")));
}

void TestShellWindows::about_okClosesAndItIsNotModal() {
    AboutWindow about(QStringLiteral("Valdoria2052/Pro"), {});
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(!about.isModal());
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
    QVERIFY(!about.isVisible());
}

void TestShellWindows::aux_showsItsLinesAndFollowsTheModel() {
    DisplayModel aux;
    Panel::addAuxFields(aux);
    AuxDisplayWindow window(aux, QStringLiteral("Valdoria2052/Pro"));
    QCOMPARE(window.objectName(), QStringLiteral("frmAuxDisplay"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Valdoria2052/Pro"));
    QCOMPARE(window.line(1)->text(), QStringLiteral("FREQUENCY & TALKGROUP ID"));
    QVERIFY(!window.line(0) && !window.line(9));
    QVERIFY(!window.isVisible());

    aux.setWindowVisible(true);
    QVERIFY(window.isVisible());
    aux.setText(QStringLiteral("Text2"), 4, QStringLiteral("DISPATCH"));
    QCOMPARE(window.line(4)->text(), QStringLiteral("DISPATCH"));
    QCOMPARE(window.line(3)->text(), QStringLiteral("SERVICE DESCRIPTION"));
    QCOMPARE(window.line(8)->text(), QStringLiteral("Aux Display #8"));
    aux.setWindowVisible(false);
    QVERIFY(!window.isVisible());
}

void TestShellWindows::aux_closingHidesItInTheModel() {
    DisplayModel aux;
    aux.addArray(QStringLiteral("Text2"), 1, 8);
    AuxDisplayWindow window(aux, QStringLiteral("Valdoria2052/Pro"));
    aux.setWindowVisible(true);
    QVERIFY(window.close());
    QVERIFY(!aux.windowVisible());
    QVERIFY(!window.isVisible());
}

void TestShellWindows::auxPlacement_data() {
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("expected");
    const QSize aux(400, 300);
    QTest::newRow("room on the right") << QRect(0, 0, 800, 400) << aux << QPoint(800, 0);
    QTest::newRow("exactly fits on the right") << QRect(0, 0, 880, 400) << aux << QPoint(880, 0);
    QTest::newRow("no width, room below") << QRect(0, 0, 1000, 400) << aux << QPoint(0, 400);
    QTest::newRow("exactly fits below") << QRect(0, 0, 1000, 724) << aux << QPoint(0, 724);
    QTest::newRow("no room at all: over the anchor") << QRect(10, 20, 1000, 740) << aux << QPoint(10, 20);
}

void TestShellWindows::auxPlacement() {
    QFETCH(QRect, anchor);
    QFETCH(QSize, size);
    QFETCH(QPoint, expected);
    QCOMPARE(AuxDisplayWindow::placementBeside(anchor, size, QRect(0, 0, 1280, 1024)), expected);
}

void TestShellWindows::prompter_iconsMapped_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("shown");
    QTest::newRow("information") << int(Prompter::Icon::Information) << int(QMessageBox::Information);
    QTest::newRow("warning") << int(Prompter::Icon::Warning) << int(QMessageBox::Warning);
    QTest::newRow("critical") << int(Prompter::Icon::Critical) << int(QMessageBox::Critical);
    QTest::newRow("question") << int(Prompter::Icon::Question) << int(QMessageBox::Question);
}

void TestShellWindows::prompter_iconsMapped() {
    QFETCH(int, icon);
    QFETCH(int, shown);
    QtPrompter prompter;
    prompter.inform(QStringLiteral("t"), QStringLiteral("x"), Prompter::Icon(icon));
    QMessageBox* box = openDialog<QMessageBox>();
    QVERIFY(box);
    QCOMPARE(int(box->icon()), shown);
    box->button(QMessageBox::Ok)->click();
}

void TestShellWindows::prompter_informReturnsBeforeTheAnswer() {
    QtPrompter prompter;
    int acknowledged = 0;
    prompter.inform(QStringLiteral("Aux Display Error!"), QStringLiteral("The Pro-2052 Aux Display is already open"),
                    Prompter::Icon::Information, [&] { ++acknowledged; });
    QCOMPARE(acknowledged, 0);
    QMessageBox* box = openDialog<QMessageBox>();
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("Aux Display Error!"));
    QCOMPARE(box->text(), QStringLiteral("The Pro-2052 Aux Display is already open"));
    box->button(QMessageBox::Ok)->click();
    QTRY_COMPARE(acknowledged, 1);
}

void TestShellWindows::prompter_confirm_data() {
    QTest::addColumn<bool>("pressOk");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestShellWindows::prompter_confirm() {
    QFETCH(bool, pressOk);
    QtPrompter prompter;
    std::optional<bool> answer;
    prompter.confirm(QStringLiteral("WIPE OUT SCANNER MEMORY?"), QStringLiteral("Are you ABSOLUTELY SURE"),
                     Prompter::Icon::Warning, [&](bool ok) { answer = ok; });
    QVERIFY(!answer.has_value());
    QMessageBox* box = openDialog<QMessageBox>();
    QVERIFY(box);
    box->button(pressOk ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    QTRY_VERIFY(answer.has_value());
    QCOMPARE(*answer, pressOk);
}

void TestShellWindows::prompter_askText_data() {
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("typed");
    QTest::newRow("answer typed") << true << "3";
    QTest::newRow("empty answer is still an answer") << true << "";
    QTest::newRow("cancelled") << false << "4";
}

void TestShellWindows::prompter_askText() {
    QFETCH(bool, accept);
    QFETCH(QString, typed);
    QtPrompter prompter;
    bool called = false;
    std::optional<QString> answer;
    prompter.askText(QStringLiteral("Select a COM port"), QStringLiteral("Enter a COM port 1 thru 4"),
                     QStringLiteral("2"), [&](std::optional<QString> text) {
                         called = true;
                         answer = text;
                     });
    QVERIFY(!called);
    auto* dialog = openDialog<QInputDialog>();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Select a COM port"));
    QCOMPARE(dialog->labelText(), QStringLiteral("Enter a COM port 1 thru 4"));
    QCOMPARE(dialog->textValue(), QStringLiteral("2"));
    dialog->setTextValue(typed);
    accept ? dialog->accept() : dialog->reject();
    QTRY_VERIFY(called);
    QCOMPARE(answer.has_value(), accept);
    if (accept)
        QCOMPARE(*answer, typed);
}

QTEST_MAIN(TestShellWindows)
#include "test_shellwindows.moc"
