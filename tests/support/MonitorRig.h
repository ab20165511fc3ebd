#pragma once

#include "ManualClock.h"
#include "MemoryTransport.h"
#include "Recorders.h"
#include "ScriptedPrompter.h"
#include "link/SerialLink.h"
#include "monitor/DisplayModel.h"
#include "monitor/MonitorContext.h"
#include "monitor/MonitorHooks.h"
#include "monitor/Panel.h"
#include "monitor/StatusParser.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

#include <QHash>
#include <QStringList>

#include <functional>

/**
 * The objects of one monitor context, wired the way the session wires them: an open in-memory
 * port whose written commands the tests read back, both display models, a clock that moves only
 * when told to, a scripted prompter and recording fakes for the three services. Tests and
 * benchmarks add the monitor parts they exercise on top.
 */
struct MonitorContextRig {
    struct Options {
        quint8 model = ScannerModel::Pro2052;
        /// Declare the faceplate's and the aux display's fields.
        bool fields = true;
        /// Run on the system clock instead of the manual one (benchmarks).
        bool systemClock = false;
    };

    explicit MonitorContextRig(const Options& options)
        : ctx{state,    link,     display,
              aux,      switches, options.systemClock ? static_cast<Clock&>(systemClock) : clock,
              prompter, &lookups, &log,
              &remote} {
        state.gScannerModel = options.model;
        state.gPanelBackColor = kBack;
        state.gPanelForeColor = kFore;
        transport = new MemoryTransport;
        link.setTransport(transport);
        transport->open();
        if (!options.fields)
            return;
        Panel::addFields(ScannerProfile::of(state).faceplate, display, kBack, kFore);
        Panel::addAuxFields(aux);
    }
    explicit MonitorContextRig(quint8 model = ScannerModel::Pro2052)
        : MonitorContextRig(Options{model}) {}

    /// The commands written since the last call.
    QStringList takeCommands() {
        const QStringList lines = transport->writtenLines();
        transport->clearWritten();
        return lines;
    }

    QString bank(int n) const { return display.text(QStringLiteral("tbBANKNUM"), n); }
    QString marker(int n) const { return display.text(QStringLiteral("tbACTIVEBANK"), n); }
    QString boxName(int n) const { return DisplayModel::element(QStringLiteral("tbBANKNUM"), n); }
    bool isPro() const { return state.gScannerModel == ScannerModel::Pro2052; }
    /// How bank box n looks: 'L' lit as the active bank (inverted, on the PRO-2052 marked), 'P' in the panel's
    /// colours without a marker, on the LCD 'S' for a listed bank's lit digit; '?' anything between.
    char boxLook(int n) const {
        const quint32 fore = display.foreColor(boxName(n));
        const quint32 back = display.backColor(boxName(n));
        if (!isPro()) {
            if (back != (fore == Panel::kLcdBack ? Panel::kLcdLit : Panel::kLcdBack))
                return '?';
            return fore == Panel::kLcdBack ? 'L' : fore == Panel::kLcdLit ? 'S' : fore == Panel::kLcdUnlit ? 'P' : '?';
        }
        if (back == kFore && fore == kBack && marker(n) == QLatin1String("n"))
            return 'L';
        return back == kBack && fore == kFore && marker(n).isEmpty() ? 'P' : '?';
    }
    /// The boxes that show a number ('#') or have the given look, as "1,3,20".
    QString boxes(char look) const {
        QStringList out;
        for (int n = 1; n <= ScannerProfile::of(state).banks; ++n) {
            if (look == '#' ? !bank(n).isEmpty() : boxLook(n) == look)
                out.append(QString::number(n));
        }
        return out.join(QLatin1Char(','));
    }

    /// Lit segments of an LCD array read "#", dark ones ".", a lit "w" marker "w".
    QString look(const QString& array, int count) const {
        QString out;
        for (int i = 1; i <= count; ++i) {
            const QString name = DisplayModel::element(array, i);
            const bool lit = display.foreColor(name) == Panel::kLcdLit;
            out += !lit                                       ? QLatin1Char('.')
                   : display.text(name) == QLatin1String("w") ? QLatin1Char('w')
                                                              : QLatin1Char('#');
        }
        return out;
    }
    /// What a scenario sees: a display field's text ("aux:field" on the aux display, "align:", "lit:" or
    /// "fore:" for its alignment or colour), or one of the named observations below; "sent" takes the
    /// commands written since the last look.
    QString observe(const QString& key) {
        const auto number = [](int n) { return QString::number(n); };
        const auto joined = [](const QStringList& lines) { return lines.join(QLatin1Char('|')); };
        const QHash<QString, std::function<QString()>> named = {
            {"sent", [&] { return joined(takeCommands()); }},
            {"log", [&] { return joined(log.lines); }},
            {"remote", [&] { return joined(remote.sent); }},
            {"lookups", [&] { return joined(lookups.calls); }},
            {"talkgroup", [&] { return state.gTalkgroupId; }},
            {"mode", [&] { return number(state.gMode); }},
            {"light", [&] { return number(state.gLightState); }},
            {"count", [&] { return number(state.gPollCount); }},
            {"delay", [&] { return number(switches.scanDelay()); }},
            {"hold", [&] { return number(int(state.gSearchHoldStart)); }},
            {"idbank", [&] { return number(state.gIdBank); }},
            {"signal", [&] { return QString::fromLatin1(state.gSignalActive ? "yes" : "no"); }},
            {"lit", [&] { return boxes('L'); }},
            {"numbers", [&] { return boxes('#'); }},
            {"markers", [&] { return look(QStringLiteral("tbACTIVEBANK"), 30); }},
            {"bars", [&] { return look(QStringLiteral("SigStrength"), 6); }},
            {"boxes", [&] { return look(QStringLiteral("tbBANKNUM"), 10); }},
        };
        const QString kind = key.section(QLatin1Char(':'), 0, 0);
        const QString field = key.section(QLatin1Char(':'), 1);
        if (named.contains(key))
            return named[key]();
        if (kind == QLatin1String("aux"))
            return aux.text(field);
        if (kind == QLatin1String("align"))
            return number(int(display.alignment(field)));
        if (kind == QLatin1String("lit"))
            return QString::fromLatin1(display.foreColor(field) == Panel::kLcdLit ? "lit" : "dark");
        if (kind == QLatin1String("fore"))
            return QString::fromLatin1(display.foreColor(field) == Panel::kLcdUnlit ? "unlit" : "lit");
        return display.hasField(key) ? display.text(key) : QStringLiteral("(no field %1)").arg(key);
    }

    static constexpr quint32 kBack = 0x000000;
    static constexpr quint32 kFore = 0x00FFFF;

    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = nullptr; ///< owned by the link
    DisplayModel display;
    DisplayModel aux;
    Switches switches;
    ManualClock clock;
    SystemClock systemClock;
    ScriptedPrompter prompter;
    RecordingLookups lookups{state};
    RecordingLog log;
    RecordingRemote remote;
    MonitorContext ctx;
};

/// A monitor context with the panel routines and the status parser.
struct MonitorRig : MonitorContextRig {
    explicit MonitorRig(quint8 model = ScannerModel::Pro2052)
        : MonitorContextRig(model) {}

    /// Feeds one reply line to the parser in the given mode.
    void parse(quint8 mode, const QString& line) {
        state.gMode = mode;
        state.gReply = line;
        parser.parseStatusReply();
    }
    QString text(const QString& field) const { return display.text(field); }

    Panel panel{ctx};
    StatusParser parser{ctx, panel};
};
