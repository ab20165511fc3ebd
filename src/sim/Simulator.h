#pragma once

#include "ActivityEvent.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QTimer>
#include <memory>

class ActivityPlayer;
class SimulatedScanner;

Q_DECLARE_LOGGING_CATEGORY(lcSim)

/**
 * A simulated scanner on the byte level: bytes come in through receive(), are cut into command
 * lines on CR, answered by the scanner model, and the CR-terminated replies leave through
 * output(). Scripted activity adds the lines the scanner sends on its own, and faults can be
 * injected between the model and the line. No widgets, no device: PtyHost and
 * SimulatorTransport connect it to a pseudo-terminal or straight to the program.
 */
class Simulator : public QObject {
    Q_OBJECT

public:
    using Fault = ActivityEvent::FaultKind;

    /// A PRO-2052 with the built-in script loaded (activity not started).
    explicit Simulator(QObject* parent = nullptr);
    /// Takes the model; its memory is left as it is.
    explicit Simulator(std::unique_ptr<SimulatedScanner> model, QObject* parent = nullptr);
    ~Simulator() override;

    /// A model by its command-line name ("pro2052"); null for a name no model answers to.
    static std::unique_ptr<SimulatedScanner> createModel(const QString& name);
    static QStringList modelNames();

    SimulatedScanner& model() { return *m_model; }

    /// Applies the script's set-up lines and takes its events for the player. On failure the
    /// scanner keeps what the lines before the faulty one set, and error names the line.
    bool loadScript(const QString& text, QString* error);
    bool loadScriptFile(const QString& path, QString* error);

    /// Real seconds per script second (1 = real time); also scales timed faults.
    void setTimeScale(double scale);
    void startActivity();
    void stopActivity();
    bool activityRunning() const;

    /// Bytes from the program; complete lines are answered at once (output() is emitted
    /// before this returns: a transport decides when to deliver it).
    void receive(const QByteArray& bytes);

    /**
     * Silence answers nothing and reports nothing for the given script seconds (0: until
     * clearFaults()); Garbage sends a burst of noise at once; DropLine loses the next line the
     * scanner sends; HangUp asks the host to close the line (hangUp()).
     */
    void injectFault(Fault fault, double seconds = 0.0);
    void clearFaults();
    /// From the first memory read or program command ("MA", "PM" + three digits) for this channel or a
    /// higher one, the scanner answers nothing until clearFaults(). 0: off.
    void setSilentFromChannel(int channel) { m_silentFrom = channel; }
    bool isSilent() const { return m_silent; }

    /// The noise a Garbage fault sends: bytes outside printable ASCII, a NUL and a CR.
    static QByteArray garbage();

Q_SIGNALS:
    /// Bytes for the program: one or more lines, each ended by CR.
    void output(const QByteArray& bytes);
    /// For the log: a command as received, a line as sent, a line a fault swallowed, a note.
    void commandReceived(const QString& command);
    void lineSent(const QString& line);
    void lineLost(const QString& line, const QString& reason);
    void note(const QString& text);
    /// The line should be closed, as if the cable had been pulled.
    void hangUp();

private:
    void send(const QStringList& lines);

    std::unique_ptr<SimulatedScanner> m_model;
    ActivityPlayer* m_player = nullptr;
    QByteArray m_pending;
    QTimer m_silenceTimer;
    bool m_silent = false;
    int m_dropNext = 0;
    int m_silentFrom = 0;
};
