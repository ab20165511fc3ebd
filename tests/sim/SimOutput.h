#pragma once

#include "Simulator.h"

#include <QStringList>

/// Lines written "A|B|C" in a test table; "" is no line at all.
inline QStringList linesOf(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

/// Collects what a simulator sends, whole and cut into lines; and asks it one command at a time.
class SimOutput : public QObject {
public:
    explicit SimOutput(Simulator& simulator)
        : m_simulator(simulator) {
        connect(&simulator, &Simulator::output, this, [this](const QByteArray& bytes) {
            m_raw += bytes;
            sent += bytes;
            QStringList parts = QString::fromLatin1(m_raw).split(QLatin1Char('\r'));
            m_raw = parts.takeLast().toLatin1();
            lines += parts;
        });
    }

    /// Sends the command with its CR and returns the lines answered to it.
    QStringList ask(const QString& command) {
        const qsizetype before = lines.size();
        m_simulator.receive(command.toLatin1() + '\r');
        return lines.mid(before);
    }

    /// Loads the script, sends the commands, then plays it with a script second lasting ten milliseconds.
    bool play(const QString& script, const QStringList& commands = {}) {
        QString error;
        if (!m_simulator.loadScript(script, &error))
            return false;
        for (const QString& command : commands)
            ask(command);
        m_simulator.setTimeScale(0.01);
        m_simulator.startActivity();
        return true;
    }

    QStringList lines;
    QByteArray sent; // every byte, as sent

private:
    Simulator& m_simulator;
    QByteArray m_raw;
};
