// Peak memory and time of the two readers that take files of any size, run as the user runs them
// under /usr/bin/time -v: `valdoria-cli activity` over a day log of MB megabytes, and
// `valdoria-cli import-uls` over a licence file of MB/2 megabytes with no line end at all.
// Both should stay far under 100 MB whatever the size.
// Usage: bench_streams [MB] [path/to/valdoria-cli]   (default 500 and the one built beside it)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// One line of /usr/bin/time -v's report, such as "Maximum resident set size (kbytes)".
QString field(const QString& report, const QString& name) {
    const QRegularExpression line(QRegularExpression::escape(name) + QStringLiteral(": *(.*)"));
    return line.match(report).captured(1).trimmed();
}

bool measure(const QString& label, const QString& cli, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-v"), cli} + arguments);
    if (!process.waitForFinished(-1)) {
        std::printf("%s: /usr/bin/time did not run (Debian package time)\n", qPrintable(label));
        return false;
    }
    const QString report = QString::fromLocal8Bit(process.readAllStandardError());
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0);
    const double peakMb = field(report, QStringLiteral("Maximum resident set size (kbytes)")).toDouble() / 1024;
    std::printf("%-34s peak %7.1f MB  %s  exit %s  | %s\n", qPrintable(label), peakMb,
                qPrintable(field(report, QStringLiteral("Elapsed (wall clock) time (h:mm:ss or m:ss)"))),
                qPrintable(field(report, QStringLiteral("Exit status"))), qPrintable(out));
    std::printf("    /usr/bin/time -v %s %s\n", qPrintable(cli), qPrintable(arguments.join(QLatin1Char(' '))));
    return true;
}

// A day's scan log as the writer lays it out: a thousand channels, the day's seconds in order.
bool writeDayLog(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    qint64 written = 0;
    for (qint64 i = 0; written < bytes; ++i) {
        const int channel = int(i % 1000) + 1;
        const qint64 second = i * 86400 / (bytes / 60);
        const QByteArray time = QByteArray::number(second / 3600 % 24).rightJustified(2, '0') + ':' +
                                QByteArray::number(second / 60 % 60).rightJustified(2, '0') + ':' +
                                QByteArray::number(second % 60).rightJustified(2, '0');
        chunk += QByteArray::number(channel).rightJustified(3, '0') + ',' +
                 QByteArray::number(150.0 + channel * 0.0125, 'f', 4) + ',' + time + ",NFM,BANK " +
                 QByteArray::number(channel / 50 + 1) + ",CHANNEL " + QByteArray::number(channel) + "\r\n";
        if (chunk.size() > (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    return true;
}

// Licence records run together with no line end anywhere.
bool writeLicenceWithoutLineEnds(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray record = "FR|1001|||KAA100||1|1|FB2||154.43000000|||||||";
    QByteArray chunk;
    while (chunk.size() < (1 << 20))
        chunk += record;
    for (qint64 written = 0; written < bytes;)
        written += file.write(chunk);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 mb = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 500;
    const QString cli = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(VALDORIA_CLI);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("LOGS/SCAN/20010215.log"));
    QDir().mkpath(QFileInfo(log).absolutePath());
    if (!writeDayLog(log, mb << 20))
        return 1;
    measure(QStringLiteral("activity, %1 MB day log").arg(mb), cli,
            {QStringLiteral("activity"), QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--date"),
             QStringLiteral("2001-02-15")});
    QFile::remove(log);

    const QString licence = dir.filePath(QStringLiteral("FR.dat"));
    if (!writeLicenceWithoutLineEnds(licence, (mb / 2) << 20))
        return 1;
    measure(QStringLiteral("import-uls, %1 MB without line end").arg(mb / 2), cli,
            {QStringLiteral("import-uls"), QStringLiteral("--db"),
             QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("t.sqlite")), licence});
    return 0;
}
