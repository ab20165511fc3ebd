#include "shell/StartupInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestStartupInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buildDateText_data();
    void buildDateText();
    void buildDateText_invalidDateIsEmpty();
    void fileDateText_usesTheFilesModificationDate();
    void fileDateText_missingFileIsEmpty();
    void versionLine_plainNumbersThenDateText();
    void helpMessage_lastLineIsTheFolder();
    void manualFolder_data();
    void manualFolder();
    void companionInstalled_data();
    void companionInstalled();
};

void TestStartupInfo::buildDateText_data() {
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
}

void TestStartupInfo::buildDateText() {
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(StartupInfo::buildDateText(date), expected);
}

void TestStartupInfo::buildDateText_invalidDateIsEmpty() {
    QCOMPARE(StartupInfo::buildDateText(QDate()), QString());
}

void TestStartupInfo::fileDateText_usesTheFilesModificationDate() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("valdoria"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.setFileTime(QDateTime(QDate(2000, 9, 5), QTime(12, 0)), QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(StartupInfo::fileDateText(path), QStringLiteral("Created: Sept 5, 2000"));
}

void TestStartupInfo::fileDateText_missingFileIsEmpty() {
    QTemporaryDir dir;
    QCOMPARE(StartupInfo::fileDateText(dir.filePath(QStringLiteral("absent"))), QString());
    QCOMPARE(StartupInfo::fileDateText(QString()), QString());
}

void TestStartupInfo::versionLine_plainNumbersThenDateText() {
    QCOMPARE(StartupInfo::versionLine(2, 0, 15, QStringLiteral("Created: May 12, 2001")),
             QStringLiteral("Version 2.0.15 - Created: May 12, 2001"));
    const QString own = StartupInfo::versionLine(QStringLiteral("Created: Sept 5, 2000"));
    QCOMPARE(own, QStringLiteral("Version %1.%2.%3 - Created: Sept 5, 2000")
                      .arg(VALDORIA_VERSION_MAJOR)
                      .arg(VALDORIA_VERSION_MINOR)
                      .arg(VALDORIA_VERSION_PATCH));
}

void TestStartupInfo::helpMessage_lastLineIsTheFolder() {
    const QString text = StartupInfo::helpMessageText(QStringLiteral("/opt/scan"));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("Please see the enclosed manual.md file"));
    QCOMPARE(lines.at(1), QStringLiteral("It should be located in the directory:"));
    QCOMPARE(lines.at(2), QStringLiteral("/opt/scan"));
    QCOMPARE(StartupInfo::helpTitle(), QStringLiteral("ValdoriaPro Help"));
}

void TestStartupInfo::manualFolder_data() {
    QTest::addColumn<QString>("manualAt"); // relative to a root; the program sits in root/bin
    QTest::addColumn<QString>("expected");
    QTest::newRow("installed documentation") << "share/doc/valdoria"
                                             << "share/doc/valdoria";
    QTest::newRow("docs beside the program") << "bin/docs"
                                             << "bin/docs";
    QTest::newRow("docs above the program (build tree)") << "docs"
                                                         << "docs";
    QTest::newRow("no manual anywhere: the program folder") << ""
                                                            << "bin";
}

void TestStartupInfo::manualFolder() {
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
    QCOMPARE(StartupInfo::manualFolder(dir.filePath(QStringLiteral("bin"))), QDir::cleanPath(dir.filePath(expected)));
}

void TestStartupInfo::companionInstalled_data() {
    QTest::addColumn<QString>("configured");
    QTest::addColumn<bool>("createFile");
    QTest::addColumn<bool>("installed");
    QTest::newRow("no path configured") << "" << false << false;
    QTest::newRow("blank path") << "   " << false << false;
    QTest::newRow("path to a missing file") << "Pellwick.exe" << false << false;
    QTest::newRow("path to a folder") << "." << false << false;
    QTest::newRow("path to an existing file") << "Pellwick.exe" << true << true;
}

void TestStartupInfo::companionInstalled() {
    QFETCH(QString, configured);
    QFETCH(bool, createFile);
    QFETCH(bool, installed);
    QTemporaryDir dir;
    QString path = configured;
    if (!configured.trimmed().isEmpty())
        path = QDir::cleanPath(dir.filePath(configured));
    if (createFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(StartupInfo::companionInstalled(path), installed);
}

QTEST_GUILESS_MAIN(TestStartupInfo)
#include "test_startupinfo.moc"
