#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class LocalDatabase;
class PtyHost;
class Simulator;
class Transport;

/**
 * The simulated scanner the programs start inside themselves with --simulate[=MODEL]. The option
 * is read here and the simulator made here, for the window and for every valdoria-cli command, so
 * the model named is the model that answers.
 */
class BuiltInSimulator {
public:
    /// How the program reaches the simulator.
    enum class Line {
        /// A pseudo-terminal opened like a serial port, the scripted activity running (a session).
        PseudoTerminal,
        /// A transport wired straight to it, no activity: the memory commands.
        InProcess,
    };

    /// The model a bare --simulate names.
    static QString defaultModel() { return QStringLiteral("pro2052"); }

    /// Takes --simulate and --simulate=MODEL out of the arguments (the command-line parser has no options with
    /// an optional value). model gets the name in lower case, the last one given winning; it is left alone when
    /// the option is absent.
    static QStringList takeOption(const QStringList& arguments, std::optional<QString>* model);
    /// Empty when the simulator has the model; otherwise the message that says which it has.
    static QString checkModel(const QString& model);

    /// Starts the model with the built-in script's memory and names loaded; null and the reason in error when
    /// the model is unknown or the pseudo-terminal cannot be made.
    static std::unique_ptr<BuiltInSimulator> start(const QString& model, Line line, QString* error);
    ~BuiltInSimulator();

    Simulator& simulator() { return *m_simulator; }
    /// The pseudo-terminal to open as the serial port (Line::PseudoTerminal).
    QString devicePath() const;
    /// A new transport wired to the simulator (Line::InProcess); the caller owns it and must drop it first.
    Transport* newTransport();
    /// Names the script's channels in the database so the demonstration shows them; rows already there stay.
    static void seedNames(LocalDatabase& database);

private:
    BuiltInSimulator() = default;

    std::unique_ptr<Simulator> m_simulator;
    std::unique_ptr<PtyHost> m_pty;
};
