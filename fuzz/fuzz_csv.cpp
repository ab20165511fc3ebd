// The CSV readers: the input is a file (as bytes: any encoding, NULs, broken quotes) parsed as a table
// and imported as a channel set or a talkgroup file into a local database of the run's own.
#include "FuzzHarness.h"
#include "ScriptedPrompter.h"
#include "TextFiles.h"
#include "store/ChannelCsv.h"
#include "store/CsvTable.h"
#include "store/LocalDatabase.h"
#include "store/TalkgroupCsv.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

struct Store {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db{dir.filePath(QStringLiteral("fuzz.mdb")), prompter};
    QString file = dir.filePath(QStringLiteral("in.csv"));
};

Store* g_store = nullptr;

int rows(const QString& table) {
    return g_store->db.rowCount(table);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    g_store = new Store;
    if (!g_store->dir.isValid() || !g_store->db.open())
        std::abort();
    return 0;
}

// Bit 0 of the first byte: a talkgroup file instead of a channel set. The rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QByteArray bytes = FuzzHarness::bytes(data + 1, size - 1);

    QString error;
    const std::optional<CsvTable> table = CsvTable::parse(TextFiles::decode(bytes), &error);
    if (table) {
        // One line number for each row, rising.
        if (table->lines.size() != table->rows.size())
            std::abort();
        for (qsizetype i = 1; i < table->lines.size(); ++i) {
            if (table->lines.at(i) <= table->lines.at(i - 1))
                std::abort();
        }
    } else if (!error.startsWith(QLatin1String("line "))) {
        std::abort();
    }

    QFile file(g_store->file);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();
    const bool talkgroups = data[0] & 1;
    const QString tableName = talkgroups ? QStringLiteral("TALKGROUPS") : QStringLiteral("BACKUP_CHANNELS");
    const int before = rows(tableName);
    const CsvReport report = talkgroups ? TalkgroupCsv::importTable(g_store->db, g_store->file)
                                        : ChannelCsv::importSet(g_store->db, g_store->file, QStringLiteral("Fuzz"));
    const int after = rows(tableName);
    // All or nothing: a refused file adds no row, an accepted one adds exactly the rows it says.
    if (!report.ok && (after != before || report.error.isEmpty()))
        std::abort();
    if (report.ok && after - before != report.added)
        std::abort();
    // A file that parses no table is never imported; a NUL never reaches the database.
    if (report.ok && !table)
        std::abort();
    if (report.ok &&
        !g_store->db
             .select(QStringLiteral("SELECT rowid FROM \"%1\" WHERE instr(\"ALPHA_TAG\", char(0)) > 0").arg(tableName))
             ->isEmpty())
        std::abort();
    // Keep the tables small, so every input costs the same.
    if (after > 2000)
        g_store->db.exec(QStringLiteral("DELETE FROM \"%1\"").arg(tableName));
    return 0;
}
