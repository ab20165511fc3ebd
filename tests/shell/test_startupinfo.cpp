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
        // One row per rule of the program's month forms, not one per month.
        QTest::newRow("short form, bare day, four-digit year") << QDate(999, 1, 2) << "Created: Jan. 2, 0999";
        QTest::newRow("May has no full stop") << QDate(2001, 5, 12) << "Created: May 12, 2001";
        QTest::newRow("June spelt out") << QDate(2002, 6, 3) << "Created: June 3, 2002";
        QTest::newRow("September is Sept without stop") << QDate(2000, 9, 5) << "Created: Sept 5, 2000";
        QTest::newRow("December, the last form") << QDate(2024, 12, 25) << "Created: Dec. 25, 2024";
        QTest::newRow("invalid date") << QDate() << "";
    }

    void buildDateText() {
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QCOMPARE(StartupInfo::buildDateText(date), expected);
    }

    // The companion can be started only from a file: not from a missing path or a folder.
    void fileDateTextAndCompanion_needAFile() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("Pellwick.exe")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(QDateTime(QDate(2000, 9, 5), QTime(12, 0)), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(StartupInfo::fileDateText(file.fileName()), QStringLiteral("Created: Sept 5, 2000"));
        QCOMPARE(StartupInfo::fileDateText(dir.filePath(QStringLiteral("absent"))), QString());
        QVERIFY(StartupInfo::companionInstalled(file.fileName()));
        QVERIFY(!StartupInfo::companionInstalled(dir.filePath(QStringLiteral("Other.exe"))));
        QVERIFY(!StartupInfo::companionInstalled(dir.path()));
    }

    void versionLineAndHelpText() {
        QCOMPARE(StartupInfo::versionLine(2, 0, 15, QStringLiteral("Created: May 12, 2001")),
                 QStringLiteral("Version 2.0.15 - Created: May 12, 2001"));
        QCOMPARE(StartupInfo::helpMessageText(QStringLiteral("/opt/scan")),
                 QStringLiteral("Please see the enclosed manual.md file\r\nIt should be located in the directory:\r\n"
                                "/opt/scan"));
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
};

QTEST_GUILESS_MAIN(TestStartupInfo)
#include "test_startupinfo.moc"
