// The licence-file reader: the input is one licence file (records of every kind, any bytes), imported
// into an SQLite transmitter database of the run's own.
#include "FuzzHarness.h"
#include "search/RemoteDbUrl.h"
#include "search/TransmitterDatabase.h"
#include "search/UlsImport.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

struct Target {
    QTemporaryDir dir;
    TransmitterDatabase db{*RemoteDbUrl::parse(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("t.sqlite"))),
                           TransmitterDatabase::Access::ReadWrite};
    QString file = dir.filePath(QStringLiteral("FR.dat"));
};

Target* g_target = nullptr;

qint64 count(const QString& sql) {
    QSqlQuery query(g_target->db.database());
    if (!query.exec(sql) || !query.next())
        std::abort();
    return query.value(0).toLongLong();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    g_target = new Target;
    if (!g_target->dir.isValid() || !g_target->db.createTables())
        std::abort();
    // A scratch file: no input needs to survive a power cut, and syncing each one costs far more than the import.
    QSqlQuery(g_target->db.database()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    QSqlQuery(g_target->db.database()).exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QFile file(g_target->file);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();
    // Each input starts from an empty database: what it stores is its own.
    QSqlQuery(g_target->db.database()).exec(QStringLiteral("DELETE FROM SPECTRUM1"));
    const QList<UlsImport::FileReport> reports = UlsImport(g_target->db).run({g_target->file});
    if (reports.size() != 1)
        std::abort();
    const UlsImport::FileReport& r = reports.first();
    if (!r.ok || r.malformed > r.lines || (r.malformed > 0) != (r.firstMalformedLine > 0) ||
        r.firstMalformedLine > r.lines)
        std::abort();
    // Every stored frequency is one a transmitter can have.
    if (count(QStringLiteral("SELECT COUNT(*) FROM SPECTRUM1")) != r.rows ||
        count(QStringLiteral("SELECT COUNT(*) FROM SPECTRUM1 WHERE NOT (FREQUENCY > 0 AND FREQUENCY <= 300000)")) != 0)
        std::abort();
    return 0;
}
