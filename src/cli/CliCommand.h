#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

/// One subcommand of valdoria-cli: its name, a one-line summary for the command list, and the routine that
/// runs it. run gets the arguments after the subcommand's name (argument 0 is "valdoria-cli NAME") and
/// returns the exit status.
struct CliCommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

namespace Cli {

/// Exit statuses shared by every subcommand.
enum Exit : int {
    Ok = 0,
    Failed = 1, ///< the work could not be done (scanner silent, file unusable, ...)
    Usage = 2,  ///< the command line is wrong
};

/// Prints "valdoria-cli: text" on stderr and returns status, so a subcommand can `return fail(...)`.
int fail(const QString& text, int status = Failed);
/// A progress line on stderr, rewritten in place; only when stderr is a terminal (scripts get clean logs).
void progress(const QString& text);
/// Ends a progress line started by progress(), if there is one.
void endProgress();
/// A message on stderr (not a result): "valdoria-cli: text".
void say(const QString& text);
/// Writes one result line on stdout.
void out(const QString& text);

/// The --data-dir option with the same default folder as the window.
void addDataDirOption(QCommandLineParser& parser);
/// The folder --data-dir names, or the window's default. Created if missing; no value when it cannot be.
std::optional<QString> dataDir(const QCommandLineParser& parser);
/// The day --date names (YYYY-MM-DD), today without it; no value, with the message said, when it is no day.
std::optional<QDate> dayOption(const QCommandLineParser& parser);
/// Parses the subcommand's arguments; on a wrong command line prints the parser's error and returns false.
bool parse(QCommandLineParser& parser, const QStringList& arguments);

} // namespace Cli
