// How long importing a RadioReference talkgroup file takes, into an empty table (every row added) and
// again over the same rows (every row updated), for growing sizes: the time per row should stay flat.
// Usage: bench_csv [talkgroups...]   (default 10000 20000 100000)
#include "ScriptedPrompter.h"
#include "store/LocalDatabase.h"
#include "store/TalkgroupCsv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

bool writeTalkgroups(const QString& path, int count) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("Decimal,Hex,Alpha Tag,Mode,Description,Tag,Category\r\n");
    for (int id = 1; id <= count; ++id) {
        const QByteArray n = QByteArray::number(id);
        file.write(n + "," + QByteArray::number(id, 16) + ",TG " + n + ",A,\"Dispatch, zone " +
                   QByteArray::number(id % 40) + "\",Law Dispatch,County " + QByteArray::number(id % 90) + "\r\n");
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("valdoria.*.debug=false"));
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {10000, 20000, 100000};
    for (const int count : std::as_const(sizes)) {
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("talkgroups.csv"));
        if (!writeTalkgroups(csv, count)) {
            std::printf("cannot write %s\n", qPrintable(csv));
            return 1;
        }
        ScriptedPrompter prompter;
        LocalDatabase db(dir.filePath(QStringLiteral("Data/ValdoriaPro.mdb")), prompter);
        for (const char* pass : {"added", "updated"}) {
            QElapsedTimer timer;
            timer.start();
            const std::clock_t cpuStart = std::clock();
            const CsvReport report = TalkgroupCsv::importTable(db, csv);
            const qint64 ms = timer.elapsed();
            // On a shared machine the wall time also counts waiting for a core.
            const double cpuMs = double(std::clock() - cpuStart) * 1000 / CLOCKS_PER_SEC;
            if (!report.ok) {
                std::printf("import failed: %s\n", qPrintable(report.error));
                return 1;
            }
            std::printf("%7d talkgroups %-7s %6lld ms wall, %6.0f ms CPU  (%.1f us CPU a row)  %s\n", count, pass, ms,
                        cpuMs, cpuMs * 1000.0 / count, qPrintable(report.summary()));
        }
    }
    return 0;
}
