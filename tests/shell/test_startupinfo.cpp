#include "shell/StartupInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestStartupInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buildDateText_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        QTest::newRow("January") << QDate(2003, 1, 31) << "Created: Jan. 31, 2003";
        QTest::newRow("February") << QDate(2004, 2, 29) << "Created: Feb. 29, 2004";
        QTest::newRow("March") << QDate(2001, 3, 1) << "Created: Mar. 1, 2001";
        QTest::newRow("April") << QDate(2001, 4, 10) << "Created: Apr. 10, 2001";
        QTest::newRow("May has no full stop") << QDate(2001, 5, 12) << "Created: May 12, 2001";
        QTest::newRow("June spelt out") << QDate(2002, 6, 3) << "Created: June 3, 2002";
        QTest::newRow("July spelt out") << QDate(2002, 7, 4) << "Created: July 4, 2002";
        QTest::newRow("August") << QDate(2002, 8, 15) << "Created: Aug. 15, 2002";
        QTest::newRow("September is Sept without stop") << QDate(2000, 9, 5) << "Created: Sept 5, 2000";
        QTest::newRow("October") << QDate(1999, 10, 9) << "Created: Oct. 9, 1999";
        QTest::newRow("November") << QDate(2024, 11, 30) << "Created: Nov. 30, 2024";
        QTest::newRow("December") << QDate(2024, 12, 25) << "Created: Dec. 25, 2024";
        QTest::newRow("early year keeps four digits") << QDate(999, 1, 2) << "Created: Jan. 2, 0999";
        QTest::newRow("invalid date") << QDate() << "";
    }

    void buildDateText() {
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QCOMPARE(StartupInfo::buildDateText(date), expected);
    }

    void fileDateText_data() {
        QTest::addColumn<QString>("name"); // in a fresh folder; "valdoria" is created
        QTest::addColumn<QString>("expected");
        QTest::newRow("the file's modification date") << "valdoria" << QString("Created: Sept 5, 2000");
        QTest::newRow("missing file") << "absent" << QString();
    }

    void fileDateText() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("valdoria")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(QDateTime(QDate(2000, 9, 5), QTime(12, 0)), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(StartupInfo::fileDateText(dir.filePath(name)), expected);
    }

    void versionLineAndHelpText() {
        QCOMPARE(StartupInfo::versionLine(2, 0, 15, QStringLiteral("Created: May 12, 2001")),
                 QStringLiteral("Version 2.0.15 - Created: May 12, 2001"));
        const QStringList lines =
            StartupInfo::helpMessageText(QStringLiteral("/opt/scan")).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.first().contains(QLatin1String("manual.md")));
        QCOMPARE(lines.last(), QStringLiteral("/opt/scan"));
    }

    void manualFolder_data() {
        QTest::addColumn<QString>("manualAt"); // relative to a root; the program sits in root/bin
        QTest::addColumn<QString>("expected");
        QTest::newRow("installed documentation") << "share/doc/valdoria" << QString("share/doc/valdoria");
        QTest::newRow("docs beside the program") << "bin/docs" << QString("bin/docs");
        QTest::newRow("docs above the program (build tree)") << "docs" << QString("docs");
        QTest::newRow("no manual anywhere: the program folder") << "" << QString("bin");
    }

    void manualFolder() {
        QFETCH(QString, manualAt);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QDir dir(root.path());
        QVERIFY(dir.mkpath(QStringLiteral("bin")));
        if (!manualAt.isEmpty()) {
            QVERIFY(dir.mkpath(manualAt));
            QFile manual(dir.filePath(manualAt + QStringLiteral("/manual.md")));
            QVERIFY(manual.open(QIODevice::WriteOnly));
        }
        QCOMPARE(StartupInfo::manualFolder(dir.filePath(QStringLiteral("bin"))),
                 QDir::cleanPath(dir.filePath(expected)));
    }

    void companionInstalled_data() {
        QTest::addColumn<QString>("configured"); // relative to a fresh folder holding the file "Pellwick.exe"
        QTest::addColumn<bool>("installed");
        QTest::newRow("no path configured") << "" << false;
        QTest::newRow("path to a missing file") << "Other.exe" << false;
        QTest::newRow("path to a folder") << "." << false;
        QTest::newRow("path to an existing file") << "Pellwick.exe" << true;
    }

    void companionInstalled() {
        QFETCH(QString, configured);
        QFETCH(bool, installed);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("Pellwick.exe")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QString path = configured.trimmed().isEmpty() ? configured : QDir::cleanPath(dir.filePath(configured));
        QCOMPARE(StartupInfo::companionInstalled(path), installed);
    }
};

QTEST_GUILESS_MAIN(TestStartupInfo)
#include "test_startupinfo.moc"
