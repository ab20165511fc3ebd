#include "PostgresServer.h"
#include "search/RemoteDbUrl.h"
#include "search/TransmitterDatabase.h"
#include "search/UlsImport.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A record with these fields at their 1-based positions, padded with empty fields to the layout's length.
QString record(const QString& type, int length, const QMap<int, QString>& fields) {
    QStringList line(length, QString());
    line[0] = type;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        line[it.key() - 1] = it.value();
    return line.join('|');
}
QString hd(int id, const QString& call, const QString& status, const QString& service) {
    return record("HD", 51, {{2, QString::number(id)}, {5, call}, {6, status}, {7, service}});
}
QString en(int id, const QString& type, const QString& name) {
    return record("EN", 27, {{2, QString::number(id)}, {6, type}, {8, name}});
}
QString lo(int id, int number, const QString& city, const QString& county, const QString& state) {
    return record("LO", 51,
                  {{2, QString::number(id)}, {9, QString::number(number)}, {13, city}, {14, county}, {15, state}});
}
QString fr(const QString& id, const QString& location, const QString& mhz) {
    return record("FR", 30, {{2, id}, {5, "K" + id}, {7, location}, {11, mhz}});
}

} // namespace

class TestUlsImport : public QObject {
    Q_OBJECT

private:
    PostgresServer m_server;
    QTemporaryDir m_dir;
    QStringList m_files;

    void write(const QString& name, const QStringList& lines) {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // The published files end their lines with CR LF.
        file.write(lines.join("\r\n").toUtf8() + "\r\n");
        m_files << file.fileName();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        // The records of one licence are spread over four files, as in the weekly download.
        write("HD.dat", {hd(1001, "KAA100", "A", "PW"), hd(1002, "KAA200", "A", "PW"), hd(1003, "KAA300", "E", "IG"),
                         hd(1004, "KAA400", "A", "YW")});
        write("EN.dat", {en(1001, "CL", "JOHN CONTACT"), en(1001, "L", "SPRINGFIELD CITY OF"),
                         en(1002, "L", "O'BRIEN COUNTY"), en(1003, "L", "EXPIRED CO")});
        write("LO.dat", {lo(1001, 1, "Springfield", "Sangamon", "IL"), lo(1002, 1, "PRIMGHAR", "O'BRIEN", "IA"),
                         lo(1004, 1, "CHICAGO", "COOK", "IL")});
        write("FR.dat", {fr("1001", "1", "154.43000000"), fr("1001", "1", "155.10000000"),
                         fr("1001", "1", "154.43000000"), "garbage without fields", fr("1002", "1", "155.13"),
                         fr("1003", "1", "151.625"), fr("x1004", "1", "851.2125"), fr("1004", "1", "851.2125")});
    }

    void import_data() {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite file") << false;
        QTest::newRow("postgresql") << true;
    }
    void import() {
        QFETCH(bool, postgres);
        const QString url = postgres ? m_server.url() : "sqlite:" + m_dir.filePath("transmitters.sqlite");
        const QStringList expected{
            "154.43,KAA100,PW,SPRINGFIELD CITY OF,SPRINGFIELD,SANGAMON,IL",
            "155.1,KAA100,PW,SPRINGFIELD CITY OF,SPRINGFIELD,SANGAMON,IL",
            "155.13,KAA200,PW,O'BRIEN COUNTY,PRIMGHAR,O'BRIEN,IA",
            "851.2125,KAA400,YW,,CHICAGO,COOK,IL",
        };
        // Twice: the second run replaces each licence's rows with the same rows.
        for (int run = 0; run < 2; ++run) {
            TransmitterDatabase db(*RemoteDbUrl::parse(url), TransmitterDatabase::Access::ReadWrite);
            const QList<UlsImport::FileReport> reports = UlsImport(db).run(m_files);
            QCOMPARE(reports.size(), 4);
            const UlsImport::FileReport& frFile = reports.last();
            QVERIFY2(frFile.ok, qPrintable(frFile.error));
            QCOMPARE((QList<qint64>{frFile.rows, frFile.malformed, frFile.firstMalformedLine}),
                     (QList<qint64>{4, 2, 4}));
            QStringList found;
            QSqlQuery query(db.database());
            QVERIFY(query.exec("SELECT FREQUENCY, CALLSIGN, RADIO_SERV, DBA_NAME, XMIT_CITY, XMIT_COUNT, XMIT_STATE "
                               "FROM SPECTRUM1 ORDER BY FREQUENCY"));
            while (query.next()) {
                found << TransmitterRow{query.value(0).toDouble(),
                                        query.value(1),
                                        query.value(2),
                                        query.value(3),
                                        query.value(4),
                                        query.value(5),
                                        query.value(6)}
                             .resultLine();
            }
            QCOMPARE(found, expected);
            QVERIFY(query.exec("SELECT RSCODE FROM RS_CODES ORDER BY RSCODE"));
            QStringList codes;
            while (query.next())
                codes << query.value(0).toString();
            QCOMPARE(codes, QStringList({"PW Public Safety Pool, Conventional", "YW Public Safety Pool, Trunked"}));
        }
        // What was imported is found by the search.
        TransmitterDatabase db(*RemoteDbUrl::parse(url));
        QCOMPARE(db.search({"IA", "PW", "o'brien", ""})->size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestUlsImport)
#include "test_ulsimport.moc"
