#pragma once

#include "Clock.h"
#include "ScriptedPrompter.h"
#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/DisplayModel.h"
#include "monitor/ModeDetector.h"
#include "monitor/Monitor.h"
#include "monitor/MonitorContext.h"
#include "monitor/MonitorHooks.h"
#include "monitor/Panel.h"
#include "monitor/PollCycle.h"
#include "monitor/ScannerState.h"
#include "monitor/Switches.h"

#include <QList>
#include <QStringList>
#include <QTest>

/// Records what the poll cycle hands to the search log.
struct RecordingLog final : ActivityLog {
    struct SearchEntry {
        int start;
        int now;
        QString freq;
        QString mode;
        QString kind;
    };
    QList<SearchEntry> search;

    void writeSearchLog(int start, int now, const QString& freq, const QString& mode, const QString& kind) override {
        search.append({start, now, freq, mode, kind});
    }
    void writeScanLog(const QString&, const QString&, const QString&, const QString&, const QString&,
                      const QString&) override {}
    void writeTrunkLog(const QString&, const QString&, const QString&, const QString&, const QString&) override {}
};

/**
 * One monitor over an in-memory port, a clock the test sets and a scripted prompter. The
 * scanner end answers "MD" from a script (the last answer repeats; an empty script is a silent
 * scanner) and ignores everything else.
 */
struct ControlRig {
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* port = new MemoryTransport;
    DisplayModel display;
    DisplayModel aux;
    Switches switches;
    ManualClock clock;
    ScriptedPrompter prompter;
    RecordingLog log;
    MonitorContext ctx{state, link, display, aux, switches, clock, prompter, nullptr, &log, nullptr};
    Monitor monitor{ctx};
    QStringList modeAnswers;
    int answerIndex = 0;

    ControlRig() {
        Panel::addPro2052Fields(display, 0x000000, 0x00FFFF);
        Panel::addAuxFields(aux);
        link.setTransport(port);
        port->open();
        QObject::connect(port, &MemoryTransport::written, [this](const QByteArray& bytes) {
            if (bytes != "MD\r" || modeAnswers.isEmpty())
                return;
            const QString answer = modeAnswers.at(qMin(answerIndex, int(modeAnswers.size()) - 1));
            ++answerIndex;
            port->feed(answer.toLatin1());
        });
    }

    /// Commands written since the last call.
    QStringList takeCommands() {
        QStringList lines = QString::fromLatin1(port->takeWritten()).split(QLatin1Char('\r'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    /// Runs a detection that the scanner answers with this mode line, and waits for the poll cycle.
    bool detect(const QString& answer) {
        modeAnswers = {answer};
        answerIndex = 0;
        monitor.checkMode();
        return QTest::qWaitFor([this] { return monitor.poll().isRunning(); });
    }
};
