#include "faceplate/AuxDisplayWindow.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "shell/AboutWindow.h"
#include "shell/HelpWindow.h"
#include "shell/QtPrompter.h"
#include "shell/SplashWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

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

// "Version 2.0.15 - Created: May 12, 2001", whatever the version of this build.
bool isVersionLine(const QString& text, const char* created) {
    static const QRegularExpression version(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+ - "));
    return text.contains(version) && text.section(QStringLiteral(" - "), 1) == QLatin1String(created);
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
        QVERIFY(isVersionLine(labelText(&splash, "lblVersion1"), "Created: May 12, 2001"));
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
        QVERIFY(isVersionLine(labelText(&about, "Label4"), "Created: Sept 5, 2000"));
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

    // The manual comes from inside the program (no file beside it needed), with its headings as contents,
    // and opens with the heading asked for in view.
    void help_showsTheBuiltInManual_atTheHeadingAsked() {
        const QString heading = QStringLiteral("Getting started");
        HelpWindow help(QStringLiteral("ValdoriaPro Help"));
        help.resize(900, 500);
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        const QStringList contents = help.contents();
        QCOMPARE(contents.value(0), QStringLiteral("Valdoria user's manual"));
        for (const char* expected : {"  Getting started", "  Logs", "    Activity at a glance", "  Troubleshooting"})
            QVERIFY2(contents.contains(QLatin1String(expected)), expected);
        QVERIFY(help.showHeading(heading));
        QVERIFY(!help.showHeading(QStringLiteral("No such heading")));
        QTextDocument* document = help.text()->document();
        QTextBlock block = document->begin();
        while (block.isValid() && !(block.blockFormat().headingLevel() > 0 && block.text() == heading))
            block = block.next();
        QVERIFY(block.isValid());
        // The heading is on screen, and the first lines of the manual are scrolled away.
        const QRect view = help.text()->viewport()->rect();
        QVERIFY(view.contains(help.text()->cursorRect(QTextCursor(block))));
        QVERIFY(!view.contains(help.text()->cursorRect(QTextCursor(document->begin()))));
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

    // The box shows its title, text and icon and answers only once it is closed; Enter alone must not wipe
    // the scanner: a warning's OK needs a click of its own.
    void prompter_informAndConfirmAnswerWhenClosed_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("press"); // a button's text, or "Return" for the key
        QTest::addColumn<bool>("answer");
        using Icon = Prompter::Icon;
        // Each icon is mapped by at least one row.
        QTest::newRow("inform") << int(Icon::Information) << int(QMessageBox::Information) << false << "OK" << true;
        QTest::newRow("confirm OK") << int(Icon::Warning) << int(QMessageBox::Warning) << true << "OK" << true;
        QTest::newRow("confirm Cancel") << int(Icon::Question) << int(QMessageBox::Question) << true << "Cancel"
                                        << false;
        QTest::newRow("Enter on the wipe warning: Cancel")
            << int(Icon::Warning) << int(QMessageBox::Warning) << true << "Return" << false;
        QTest::newRow("Enter on critical: Cancel")
            << int(Icon::Critical) << int(QMessageBox::Critical) << true << "Return" << false;
        QTest::newRow("Enter on a question: OK")
            << int(Icon::Question) << int(QMessageBox::Question) << true << "Return" << true;
    }

    void prompter_informAndConfirmAnswerWhenClosed() {
        QFETCH(int, icon);
        QFETCH(int, shown);
        QFETCH(bool, confirm);
        QFETCH(QString, press);
        QFETCH(bool, answer);
        QtPrompter prompter;
        std::optional<bool> got;
        const QString title = QStringLiteral("WIPE OUT SCANNER MEMORY?"),
                      text = QStringLiteral("Are you ABSOLUTELY SURE\r\nthat you want to restore the scanner to\r\n"
                                            "FACTORY DEFAULTS?");
        if (confirm)
            prompter.confirm(title, text, Prompter::Icon(icon), [&](bool ok) { got = ok; });
        else
            prompter.inform(title, text, Prompter::Icon(icon), [&] { got = true; });
        QVERIFY(!got.has_value());
        QMessageBox* box = openDialog<QMessageBox>();
        QVERIFY(box);
        QCOMPARE(std::tuple(box->windowTitle(), box->text(), int(box->icon())), std::tuple(title, text, shown));
        if (press == QLatin1String("Return"))
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->button(press == QLatin1String("OK") ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        QTRY_VERIFY(got.has_value());
        QCOMPARE(*got, answer);
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
