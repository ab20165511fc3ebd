#pragma once

#include "Clock.h"
#include "Prompter.h"
#include "memory/MemoryJob.h"
#include "state/ScannerState.h"

#include <QStringList>

#include <memory>
#include <optional>

class QCommandLineParser;
class BuiltInSimulator;
class LocalDatabase;
class SerialLink;
struct ScannerProfile;

/// Messages the core puts to the operator go to stderr; questions take their proposed answer.
class CliPrompter final : public Prompter {
public:
    void askText(const QString& title, const QString& prompt, const QString& defaultText,
                 std::function<void(std::optional<QString>)> done) override;
    void inform(const QString& title, const QString& text, Icon icon, std::function<void()> done) override;
    void confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) override;
};

/**
 * What a memory subcommand works with: the local database below the data folder and, for commands that
 * talk to the scanner, the serial link on --port (or an in-process simulator with --simulate[=MODEL]).
 */
class ScannerLine {
public:
    ScannerLine();
    ~ScannerLine();

    /// Adds --port, --speed and --model.
    static void addPortOptions(QCommandLineParser& parser);
    /// The scanner served: the simulated model with --simulate (a --model given as well must name the same), else
    /// --model (the PRO-2052 when absent). Null and a message for a model no scanner row has, or a mismatch.
    static const ScannerProfile* profile(const QCommandLineParser& parser, const std::optional<QString>& simulate);
    /// "1-5,8" as bank numbers; no value (and a message) for a list that is not one, or a bank past last.
    static std::optional<QList<int>> parseBanks(const QString& text, int last);
    /// The banks --banks names, or every bank of the scanner; no value (and a message) for a wrong list.
    static std::optional<QList<int>> chosenBanks(const QCommandLineParser& parser, const ScannerProfile& profile);

    /// What a command does with the database.
    enum class Access { ReadWrite, Read };
    /// Opens the database below the --data-dir folder; false with a message when it cannot be used. A command
    /// that only reads opens an existing file read-only.
    bool openDatabase(const QCommandLineParser& parser, Access access = Access::ReadWrite);
    /// Opens the port (or the simulator) to the scanner the profile describes; false with a message.
    bool openScanner(const QCommandLineParser& parser, const ScannerProfile& profile,
                     const std::optional<QString>& simulate);
    /// Lets the last commands leave the port, then quits the application with status.
    void quitWhenSent(int status);

    LocalDatabase& database() { return *m_database; }
    MemoryJobContext context();

private:
    CliPrompter m_prompter;
    SystemClock m_clock;
    ScannerState m_state;
    std::unique_ptr<LocalDatabase> m_database;
    std::unique_ptr<BuiltInSimulator> m_simulator;
    std::unique_ptr<SerialLink> m_link;
};

/// Wires a job's signals to the progress line and to the exit: replyMissing stops the job (no one to ask);
/// SIGINT, SIGTERM and SIGHUP cancel it (exit 1 with the count kept).
void followJob(MemoryJob& job, ScannerLine& line, const QString& doing);
