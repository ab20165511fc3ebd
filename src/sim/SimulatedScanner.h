#pragma once

#include "ActivityEvent.h"

#include <QString>
#include <QStringList>

/**
 * One simulated scanner model: its memory, its mode and the way it answers commands and
 * reports activity. The Simulator frames lines, injects faults and keeps time; everything the
 * scanner itself decides lives behind this interface, so a second model (the BC780XLT) is a
 * second implementation and nothing else changes.
 */
class SimulatedScanner {
public:
    virtual ~SimulatedScanner() = default;

    /// Short name used on the command line, e.g. "pro2052".
    virtual QString name() const = 0;
    /// The operating mode code the scanner reports to "MD".
    virtual int mode() const = 0;

    /// Answers one command line (without its CR); returns the reply lines without CR, in order.
    virtual QStringList answer(const QString& command) = 0;

    /**
     * Applies one set-up line of a script (the words of the line, already split). Returns false
     * and fills error when the line means nothing to this model.
     */
    virtual bool configure(const QStringList& words, QString* error) = 0;

    /**
     * Starts a scripted event. Returns false when the event does not fit the scanner's present
     * state (a channel stop while searching, a locked-out channel): the player then moves on.
     * Lines the scanner reports at the start go to lines.
     */
    virtual bool beginActivity(const ActivityEvent& event, QStringList& lines) = 0;
    /// Ends the event begun last, if it is still running; lines reported at its end go to lines.
    virtual void endActivity(QStringList& lines) = 0;
    /// True while a begun event has not ended (a key or a mode change may end it early).
    virtual bool activityRunning() const = 0;
    /// A short description of the event for the log, e.g. "stop on 5 (County fire)".
    virtual QString describe(const ActivityEvent& event) const = 0;
};
