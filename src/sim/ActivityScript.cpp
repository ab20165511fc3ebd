#include "ActivityScript.h"

#include "SimFrequency.h"

#include <QRegularExpression>

namespace {

bool seconds(const QString& text, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && *value >= 0.0 && *value <= 86400.0;
}

struct NamedChannel {
    int channel;
    const char* mhz;
    const char* flagsAndName;
};

// Bank A and B of the built-in memory: local public-safety, aviation, marine and a trunked system.
// Each name is the alpha tag the scanner shows, then " / " and the licensee, as a user's bank table holds them.
const NamedChannel kDefaultChannels[] = {
    {1, "154.2500", "delay CO FIRE / Marion County Fire District"},
    {2, "154.2800", "FIRE AID / Marion County Fire District"},
    {3, "155.4750", "STATE PD / State Police Post 12"},
    {4, "155.7000", "SHERIFF / Marion County Sheriff"},
    {5, "460.1250", "priority CITY PD / City of Springfield Police"},
    {6, "460.2500", "PD TAC / City of Springfield Police"},
    {7, "453.2500", "PUB WORKS / City of Springfield Public Works"},
    {8, "462.9500", "EMS MED1 / Marion County EMS"},
    {9, "463.0000", "EMS MED2 / Marion County EMS"},
    {10, "155.3400", "HOSP LINK / St Mary's Hospital"},
    {11, "121.5000", "AIR EMERG / Aviation emergency"},
    {12, "119.1000", "TWR / Springfield Regional Airport"},
    {13, "122.8000", "UNICOM / Springfield Aero Club"},
    {14, "156.8000", "MARINE 16 / Coast Guard Sector Lake"},
    {15, "162.5500", "NOAA WX / National Weather Service"},
    {16, "151.6250", "RED DOT / Springfield Business Radio"},
    {17, "464.5000", "BIZ ITIN / Springfield Business Radio"},
    {18, "146.5200", "2M SIMPLX / Amateur simplex"},
    {19, "146.9400", "delay 2M RPT / Springfield Amateur Radio Club"},
    {20, "45.3250", "HWY DEPT / State Highway Department"},
    {21, "96.3000", "lockout FM 96.3 / WSPR Broadcasting"},
};

} // namespace

bool ActivityScript::parse(const QString& text, QString* error) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression number(QStringLiteral("^\\d+(\\.\\d+)?$"));
    QList<SetupLine> setup;
    QList<ActivityEvent> events;
    bool repeat = true;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        if (words[0] == QLatin1String("repeat") && words.size() == 2 &&
            (words[1] == QLatin1String("on") || words[1] == QLatin1String("off"))) {
            repeat = words[1] == QLatin1String("on");
            continue;
        }
        if (!number.match(words[0]).hasMatch()) {
            setup.append(SetupLine{i + 1, words});
            continue;
        }
        ActivityEvent event;
        QString why;
        if (!parseEvent(words, &event, &why)) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return false;
        }
        event.line = i + 1;
        events.append(event);
    }
    m_setup = setup;
    m_events = events;
    m_repeat = repeat;
    return true;
}

bool ActivityScript::parseEvent(const QStringList& words, ActivityEvent* event, QString* error) {
    const QString& verb = words.value(1);
    const auto fail = [error](const QString& text) {
        *error = text;
        return false;
    };
    if (!seconds(words[0], &event->delay))
        return fail(QStringLiteral("the delay must be 0 to 86400 seconds"));
    bool ok = false;
    if (verb == QLatin1String("stop")) {
        event->kind = ActivityEvent::Kind::Stop;
        event->channel = words.value(2).toInt(&ok);
        if (words.size() != 4 || !ok || event->channel < 1 || event->channel > 1000 || !seconds(words[3], &event->hold))
            return fail(QStringLiteral("stop takes a channel 1 to 1000 and the seconds it lasts"));
        return true;
    }
    if (verb == QLatin1String("hit")) {
        event->kind = ActivityEvent::Kind::Hit;
        if (words.size() != 4 || !SimFrequency::parse(words[2], &event->steps) || event->steps == 0 ||
            !seconds(words[3], &event->hold))
            return fail(QStringLiteral("hit takes a frequency in MHz and the seconds it lasts"));
        return true;
    }
    if (verb == QLatin1String("call")) {
        event->kind = ActivityEvent::Kind::Call;
        event->talkgroup = words.value(2).toInt(&ok);
        if (words.size() != 5 || !ok || event->talkgroup < 1 || event->talkgroup > 999999 ||
            !SimFrequency::parse(words[3], &event->steps) || !seconds(words[4], &event->hold))
            return fail(QStringLiteral("call takes a talkgroup, a frequency in MHz and the seconds it lasts"));
        return true;
    }
    if (verb == QLatin1String("mode")) {
        event->kind = ActivityEvent::Kind::Mode;
        event->mode = words.value(2).toInt(&ok);
        if (words.size() != 3 || !ok || event->mode < 0 || event->mode > 20)
            return fail(QStringLiteral("mode takes a mode code 0 to 20"));
        return true;
    }
    if (verb == QLatin1String("send")) {
        event->kind = ActivityEvent::Kind::Send;
        event->text = words.mid(2).join(QLatin1Char(' '));
        if (event->text.isEmpty())
            return fail(QStringLiteral("send takes the text of a line"));
        return true;
    }
    if (verb == QLatin1String("fault")) {
        event->kind = ActivityEvent::Kind::Fault;
        const QString& kind = words.value(2);
        if (kind == QLatin1String("silence") && words.size() == 4 && seconds(words[3], &event->hold)) {
            event->fault = ActivityEvent::FaultKind::Silence;
            return true;
        }
        const struct {
            const char* word;
            ActivityEvent::FaultKind fault;
        } simple[] = {{"garbage", ActivityEvent::FaultKind::Garbage},
                      {"drop", ActivityEvent::FaultKind::DropLine},
                      {"hangup", ActivityEvent::FaultKind::HangUp}};
        for (const auto& entry : simple) {
            if (kind == QLatin1String(entry.word) && words.size() == 3) {
                event->fault = entry.fault;
                return true;
            }
        }
        return fail(QStringLiteral("fault takes \"silence SECONDS\", \"garbage\", \"drop\" or \"hangup\""));
    }
    return fail(QStringLiteral("unknown event \"%1\"").arg(verb));
}

QString ActivityScript::defaultScript() {
    QString text = QStringLiteral("# Built-in activity of valdoria-sim\n");
    for (const NamedChannel& entry : kDefaultChannels)
        text += QStringLiteral("program %1 %2 %3\n")
                    .arg(entry.channel)
                    .arg(QLatin1String(entry.mhz), QLatin1String(entry.flagsAndName));
    // Channels 22 to 40: county UHF channels 25 kHz apart; 41 to 50: the FRS/GMRS channels.
    for (int channel = 22; channel <= 40; ++channel)
        text += QStringLiteral("program %1 %2 CO UHF %3 / Marion County Government\n")
                    .arg(channel)
                    .arg(SimFrequency::text(4531000 + (channel - 22) * 250))
                    .arg(channel - 21);
    for (int channel = 41; channel <= 50; ++channel)
        text += QStringLiteral("program %1 %2 GMRS %3 / GMRS licensees\n")
                    .arg(channel)
                    .arg(SimFrequency::text(4625625 + (channel - 41) * 250))
                    .arg(channel - 40);
    // Bank B holds the control and voice channels of a trunked system.
    for (int channel = 51; channel <= 60; ++channel)
        text += QStringLiteral("program %1 %2 trunked CO TRK %3 / Marion County Radio System\n")
                    .arg(channel)
                    .arg(SimFrequency::text(8510125 + (channel - 51) * 2500))
                    .arg(channel - 50);
    text += QStringLiteral("program 1000 1240.0000 BEACON / Springfield Amateur Radio Club\n"
                           "banks AB\n"
                           "trunkbank B\n"
                           "trunktype B MOT TYPE II\n"
                           "talkgroup A 1 1234 Fire dispatch\n"
                           "talkgroup A 2 2345 Police dispatch\n"
                           "talkgroup A 3 3456 EMS\n"
                           "talkgroup B 1 4567 Public works\n"
                           "talkgroup B 2 5678 Schools\n"
                           "idbanks AB\n"
                           "limits 150.0000 160.0000\n"
                           "# In scan mode the stops play, in search mode the hits, in the trunk modes the calls.\n"
                           "3 stop 1 2.5\n"
                           "3 hit 154.4300 3\n"
                           "2 call 1234 851.0125 3\n"
                           "3 stop 5 3\n"
                           "2 hit 156.8000 2\n"
                           "2 call 2345 851.2625 2\n"
                           "3 stop 14 2\n"
                           "2 hit 155.1600 3\n"
                           "2 call 4567 852.0125 3\n"
                           "3 stop 20 2\n"
                           "2 call 9876 851.5125 2\n");
    return text;
}
