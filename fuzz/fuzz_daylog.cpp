// The day-log reader: the input is a day's log file and the next day's, read back both ways (every hit kept
// and sorted, and as a stream into a summary), which must agree.
#include "FuzzHarness.h"
#include "logging/ActivityDay.h"
#include "logging/ActivitySummary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

QTemporaryDir* g_dir = nullptr;
const QDate kDay(2001, 2, 15);

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

// The same entries whatever their order (totals of durations added in another order may differ in the last bit).
bool sameEntries(QList<ActivitySummary::Entry> a, QList<ActivitySummary::Entry> b) {
    const auto byKey = [](const ActivitySummary::Entry& x, const ActivitySummary::Entry& y) { return x.key < y.key; };
    std::sort(a.begin(), a.end(), byKey);
    std::sort(b.begin(), b.end(), byKey);
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].key != b[i].key || a[i].name != b[i].name || a[i].detail != b[i].detail || a[i].hits != b[i].hits ||
            a[i].lastSeconds != b[i].lastSeconds)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    g_dir = new QTemporaryDir;
    if (!g_dir->isValid())
        std::abort();
    return 0;
}

// Bits 0-1 of the first byte: the log (scan, search, trunk); the second byte says where the rest is cut
// between the day's file and the next day's (in 256ths).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const auto log = ActivityLogKind(data[0] % 3);
    const QByteArray bytes = FuzzHarness::bytes(data + 2, size - 2);
    const qsizetype cut = bytes.size() * data[1] / 256;
    for (const ActivityLogKind kind : {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk}) {
        QDir().mkpath(QFileInfo(ActivityHit::filePath(g_dir->path(), kind, kDay)).absolutePath());
        QFile::remove(ActivityHit::filePath(g_dir->path(), kind, kDay));
        QFile::remove(ActivityHit::filePath(g_dir->path(), kind, kDay.addDays(1)));
    }
    write(ActivityHit::filePath(g_dir->path(), log, kDay), bytes.left(cut));
    write(ActivityHit::filePath(g_dir->path(), log, kDay.addDays(1)), bytes.mid(cut));

    const ActivityDay whole = ActivityDay::read(g_dir->path(), kDay);
    ActivitySummary streamed;
    qsizetype count = 0;
    const ActivityDay scanned = ActivityDay::scan(g_dir->path(), kDay, [&](const ActivityHit& hit) {
        if (hit.seconds < 0 || hit.seconds > 86399)
            std::abort();
        ++count;
        streamed.add(hit);
    });
    const ActivitySummary summary(whole);
    if (count != whole.hits().size() || scanned.unreadableLines() != whole.unreadableLines() ||
        streamed.hits() != summary.hits())
        std::abort();
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour) {
        if (streamed.hitsInHour(log, hour) != summary.hitsInHour(log, hour))
            std::abort();
    }
    if (!sameEntries(streamed.busiest(log, 1000), summary.busiest(log, 1000)))
        std::abort();
    return 0;
}
