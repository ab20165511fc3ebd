// How long the licence import of 100,000 licences takes, and a search that returns 50 rows, on an SQLite file
// and on a PostgreSQL server of the benchmark's own. Usage: bench_search [licences]
#include "PostgresServer.h"
#include "search/RemoteDbUrl.h"
#include "search/TransmitterDatabase.h"
#include "search/UlsImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Four records a licence (HD, EN, LO, FR), spread over 50 states and three services.
bool writeLicences(const QString& path, int licences) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const char* services[] = {"PW", "IG", "YW"};
    for (int i = 1; i <= licences; ++i) {
        const QByteArray id = QByteArray::number(i);
        const QByteArray call = "KB" + id;
        const QByteArray state = QByteArray(1, char('A' + i % 25)) + char('A' + (i / 25) % 2);
        QByteArray text;
        text += "HD|" + id + "|||" + call + "|A|" + services[i % 3] + "|01/01/2020|01/01/2030||||||\r\n";
        text += "EN|" + id + "|||" + call + "|L||LICENSEE NUMBER " + id + "|||||\r\n";
        text += "LO|" + id + "|||" + call + "||I||1||||CITY " + QByteArray::number(i % 97) + "|COUNTY " +
                QByteArray::number(i % 31) + "|" + state + "|\r\n";
        text += "FR|" + id + "|||" + call + "||1|1|FB2||" + QByteArray::number(150.0 + (i % 4000) * 0.0125, 'f', 8) +
                "|||||||\r\n";
        file.write(text);
    }
    return true;
}

void measure(const QString& label, const QString& url, const QString& dataFile, int licences) {
    QElapsedTimer timer;
    {
        TransmitterDatabase db(*RemoteDbUrl::parse(url), TransmitterDatabase::Access::ReadWrite);
        timer.start();
        const auto reports = UlsImport(db).run({dataFile});
        if (reports.isEmpty() || !reports.first().ok) {
            std::printf("%s: import failed: %s\n", qPrintable(label),
                        qPrintable(reports.isEmpty() ? db.error() : reports.first().error));
            return;
        }
        std::printf("%-11s import of %d licences (%d lines): %lld ms, %d rows\n", qPrintable(label), licences,
                    licences * 4, timer.elapsed(), reports.first().rows);
    }
    constexpr int kSearches = 20;
    qint64 total = 0;
    int rows = 0;
    for (int i = 0; i < kSearches; ++i) {
        timer.start();
        // A fresh connection each time, as each search in the window makes one.
        TransmitterDatabase db(*RemoteDbUrl::parse(url));
        rows = int(db.search({"AA", "PW", "", ""}).value_or(QList<TransmitterRow>{}).size());
        total += timer.nsecsElapsed();
    }
    std::printf("%-11s search returning %d rows (connection included): %.2f ms on average of %d\n", qPrintable(label),
                rows, double(total) / kSearches / 1e6, kSearches);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("valdoria.*.debug=false"));
    const int licences = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString dataFile = dir.filePath("l_LMpriv.dat");
    if (!writeLicences(dataFile, licences)) {
        std::printf("cannot write %s\n", qPrintable(dataFile));
        return 1;
    }
    measure("SQLite", "sqlite:" + dir.filePath("transmitters.sqlite"), dataFile, licences);
    PostgresServer server;
    if (!server.start()) {
        std::printf("PostgreSQL not measured: %s\n", qPrintable(server.error()));
        return 0;
    }
    measure("PostgreSQL", server.url(), dataFile, licences);
    return 0;
}
