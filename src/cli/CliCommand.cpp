#include "CliCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace Cli {

namespace {

bool g_progressShown = false;

QTextStream& errStream() {
    static QTextStream stream(stderr);
    return stream;
}

} // namespace

int fail(const QString& text, int status) {
    say(text);
    return status;
}

void progress(const QString& text) {
    if (!isatty(fileno(stderr)))
        return;
    // \r plus clear-to-end-of-line rewrites the same line on a terminal.
    errStream() << '\r' << text << "\x1b[K" << Qt::flush;
    g_progressShown = true;
}

void endProgress() {
    if (!g_progressShown)
        return;
    errStream() << '\n' << Qt::flush;
    g_progressShown = false;
}

void say(const QString& text) {
    endProgress();
    errStream() << "valdoria-cli: " << text << Qt::endl;
}

void out(const QString& text) {
    static QTextStream stream(stdout);
    stream << text << Qt::endl;
}

void addDataDirOption(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("data-dir"),
                      QStringLiteral("Folder holding Data/ and LOGS/ (default: %1).")
                          .arg(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)),
                      QStringLiteral("dir")});
}

std::optional<QDate> dayOption(const QCommandLineParser& parser) {
    if (!parser.isSet(QStringLiteral("date")))
        return QDate::currentDate();
    const QString text = parser.value(QStringLiteral("date"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid()) {
        fail(QStringLiteral("--date wants a day as YYYY-MM-DD, not \"%1\"").arg(text));
        return std::nullopt;
    }
    return date;
}

std::optional<QString> dataDir(const QCommandLineParser& parser) {
    const QString dir = parser.isSet(QStringLiteral("data-dir"))
                            ? parser.value(QStringLiteral("data-dir"))
                            : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(dir)) {
        say(QStringLiteral("cannot create the data folder %1").arg(dir));
        return std::nullopt;
    }
    return dir;
}

bool parse(QCommandLineParser& parser, const QStringList& arguments) {
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        say(parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // The parser names the program by its path; the subcommand's help names "valdoria-cli NAME".
        QString text = parser.helpText();
        const QString usage = QStringLiteral("Usage: ");
        const qsizetype end = text.indexOf(QLatin1Char(' '), usage.size());
        if (text.startsWith(usage) && end > 0)
            text.replace(usage.size(), end - usage.size(), arguments.value(0));
        QTextStream(stdout) << text << Qt::flush;
        std::exit(Ok);
    }
    return true;
}

} // namespace Cli
