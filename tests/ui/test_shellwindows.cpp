#include "faceplate/AuxDisplayWindow.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "shell/AboutWindow.h"
#include "shell/QtPrompter.h"
#include "shell/SplashWindow.h"
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

#include <tuple>

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
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog*>(w))
                w->deleteLater();
    }

    void splash_namesTheScanner_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("name");
        QTest::newRow("PRO-2052") << 1 << QStringLiteral("RadioShack\u00AE") << "Pro-2052";
        QTest::newRow("BC780XLT") << 3 << QStringLiteral("Uniden\u00AE") << "BC780XLT";
        // Codes 2 and 4 are BC780XLT variants as well.
        QTest::newRow("code 2") << 2 << QStringLiteral("Uniden\u00AE") << "BC780XLT";
        QTest::newRow("code 4") << 4 << QStringLiteral("Uniden\u00AE") << "BC780XLT";
    }

    void splash_namesTheScanner() {
        QFETCH(int, model);
        QFETCH(QString, maker);
        QFETCH(QString, name);
        SplashWindow splash(model, QStringLiteral("Valdoria2052/Pro"), QStringLiteral("Created: May 12, 2001"));
        QCOMPARE(labelText(&splash, "lblManuf"), maker);
        QCOMPARE(labelText(&splash, "lblModel"), name);
        QCOMPARE(labelText(&splash, "lblProductName1"), QStringLiteral("Valdoria2052/Pro"));
        QCOMPARE(labelText(&splash, "lblVersion1"), StartupInfo::versionLine(QStringLiteral("Created: May 12, 2001")));
    }

    // start() returns at once; keys do not cut the time short.
    void splash_finishesWhenItsTimeIsUpAndIgnoresKeys() {
        SplashWindow splash(1, QStringLiteral("Valdoria2052/Pro"), {}, 300);
        QSignalSpy finished(&splash, &SplashWindow::finished);
        QElapsedTimer clock;
        clock.start();
        splash.start();
        QVERIFY(splash.isVisible());
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_A})
            QTest::keyClick(&splash, key);
        QCOMPARE(finished.count(), 0);
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(clock.elapsed() >= 290);
    }

    void about_showsItsLabelsAndOkClosesIt() {
        AboutWindow about(QStringLiteral("Valdoria2052/Pro"), QStringLiteral("Created: Sept 5, 2000"));
        QCOMPARE(labelText(&about, "Label1"), QStringLiteral("Valdoria2052/Pro"));
        QCOMPARE(labelText(&about, "Label4"), StartupInfo::versionLine(QStringLiteral("Created: Sept 5, 2000")));
        QCOMPARE(labelText(&about, "lblRunningOn"), QStringLiteral("Running On: ") + QSysInfo::prettyProductName());
        QVERIFY(labelText(&about, "Label5").contains(QLatin1String("manual.md")));
        // The program's own icon, from the resources the desktop entry's pictures are also built from.
        const auto* icon = about.findChild<QLabel*>(QStringLiteral("imgIcon"));
        QVERIFY(icon);
        const QImage picture = icon->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(64, 64));
        // The scanner's body is dark grey at its centre; an empty or missing picture is transparent there.
        QCOMPARE(qAlpha(picture.pixel(32, 50)), 255);
        about.show();
        QVERIFY(!about.isModal());
        QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void aux_followsTheModelAndClosingHidesIt() {
        DisplayModel aux;
        Panel::addAuxFields(aux);
        AuxDisplayWindow window(aux, QStringLiteral("Valdoria2052/Pro"));
        QCOMPARE(window.line(1)->text(), QStringLiteral("FREQUENCY & TALKGROUP ID"));
        QVERIFY(!window.isVisible());
        aux.setWindowVisible(true);
        QVERIFY(window.isVisible());
        aux.setText(QStringLiteral("Text2"), 4, QStringLiteral("DISPATCH"));
        QCOMPARE(window.line(4)->text(), QStringLiteral("DISPATCH"));
        QVERIFY(window.close());
        QVERIFY(!aux.windowVisible());
    }

    void auxPlacement_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("exactly fits on the right") << QRect(0, 0, 880, 400) << QPoint(880, 0);
        QTest::newRow("one pixel too wide, room below") << QRect(0, 0, 881, 400) << QPoint(0, 400);
        QTest::newRow("exactly fits below") << QRect(0, 0, 1000, 724) << QPoint(0, 724);
        QTest::newRow("no room at all: over the anchor") << QRect(10, 20, 1000, 740) << QPoint(10, 20);
    }

    void auxPlacement() {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, expected);
        QCOMPARE(AuxDisplayWindow::placementBeside(anchor, QSize(400, 300), QRect(0, 0, 1280, 1024)), expected);
    }

    void prompter_informAndConfirmReturnBeforeTheAnswer_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("pressOk");
        using Icon = Prompter::Icon;
        // Each row shows another icon, so every icon is mapped once.
        QTest::newRow("inform") << int(Icon::Information) << int(QMessageBox::Information) << false << true;
        QTest::newRow("inform, critical") << int(Icon::Critical) << int(QMessageBox::Critical) << false << true;
        QTest::newRow("confirm OK") << int(Icon::Warning) << int(QMessageBox::Warning) << true << true;
        QTest::newRow("confirm Cancel") << int(Icon::Question) << int(QMessageBox::Question) << true << false;
    }

    void prompter_informAndConfirmReturnBeforeTheAnswer() {
        QFETCH(int, icon);
        QFETCH(int, shown);
        QFETCH(bool, confirm);
        QFETCH(bool, pressOk);
        QtPrompter prompter;
        std::optional<bool> answer;
        const QString title = QStringLiteral("WIPE OUT SCANNER MEMORY?"),
                      text = QStringLiteral("Are you ABSOLUTELY SURE");
        if (confirm)
            prompter.confirm(title, text, Prompter::Icon(icon), [&](bool ok) { answer = ok; });
        else
            prompter.inform(title, text, Prompter::Icon(icon), [&] { answer = true; });
        QVERIFY(!answer.has_value());
        QMessageBox* box = openDialog<QMessageBox>();
        QVERIFY(box);
        QCOMPARE(std::tuple(box->windowTitle(), box->text(), int(box->icon())), std::tuple(title, text, shown));
        box->button(pressOk ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, pressOk);
    }

    void prompter_askText_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::newRow("answer typed") << true << "3";
        QTest::newRow("empty answer is still an answer") << true << "";
        QTest::newRow("cancelled") << false << "4";
    }

    void prompter_askText() {
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        QtPrompter prompter;
        std::optional<std::optional<QString>> answer; // outer: called at all; inner: the text or cancel
        prompter.askText(QStringLiteral("Select a COM port"), QStringLiteral("Enter a COM port 1 thru 4"),
                         QStringLiteral("2"), [&](std::optional<QString> text) { answer = text; });
        QVERIFY(!answer.has_value());
        auto* dialog = openDialog<QInputDialog>();
        QVERIFY(dialog);
        QCOMPARE(QStringList({dialog->windowTitle(), dialog->labelText(), dialog->textValue()}).join(QLatin1Char('|')),
                 QStringLiteral("Select a COM port|Enter a COM port 1 thru 4|2"));
        dialog->setTextValue(typed);
        accept ? dialog->accept() : dialog->reject();
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, accept ? std::optional<QString>(typed) : std::nullopt);
    }
};

QTEST_MAIN(TestShellWindows)
#include "test_shellwindows.moc"
