// The PRO-2052's keys and its reports of activity: what the operator and the air do to it.
#include "Pro2052Model.h"

#include "SimFrequency.h"

namespace {

// The held and released forms of one activity: a hit survives HOLD in search, a call survives
// HOLD in trunk tracking and in ID scan.
bool sameActivity(int from, int to) {
    const auto pair = [](int mode) { return mode == 3 ? 2 : mode == 10 ? 9 : mode == 12 ? 11 : mode; };
    return pair(from) == pair(to) && (pair(from) == 2 || pair(from) == 9 || pair(from) == 11);
}

} // namespace

void Pro2052Model::setMode(int mode) {
    if (mode == m_mode)
        return;
    if (!sameActivity(m_mode, mode))
        cancelActivity();
    m_mode = mode;
}

void Pro2052Model::cancelActivity() {
    m_running = Running::None;
    m_squelchOpen = false;
}

void Pro2052Model::closeSquelch(QStringList& lines) {
    m_squelchOpen = false;
    if (m_squelchReports) {
        lines << QStringLiteral("-");
        m_reportedOpen = false;
    }
}

void Pro2052Model::pressKey(int code, const QString& argument, QStringList& reports) {
    if (code == 2) {
        pressDigit(argument.toInt());
        return;
    }
    const QString entry = m_entry;
    // Every key but the digits and the decimal point ends the entry being typed.
    if (code != 3)
        m_entry.clear();
    switch (code) {
    case 0: // SCAN: scanning, or trunk tracking and ID scan when trunking
        setMode(m_mode == 8 || m_mode == 10 ? 9 : m_mode == 12 ? 11 : isTrunkMode(m_mode) ? m_mode : 0);
        break;
    case 1: { // MANUAL: digits typed first pick the channel
        if (m_mode == 9 || m_mode == 10) {
            setMode(10);
            break;
        }
        if (m_mode == 11 || m_mode == 12) {
            setMode(12);
            break;
        }
        bool ok = false;
        const int number = entry.toInt(&ok);
        setMode(1);
        if (ok && number >= 1 && number <= kChannels && !entry.contains(QLatin1Char('.')))
            m_current = number;
        break;
    }
    case 3: // decimal point of a frequency entry
        if (!m_entry.contains(QLatin1Char('.')) && m_entry.size() < 9)
            m_entry += QLatin1Char('.');
        break;
    case 4: { // E: a typed frequency programs the manual channel or starts the search there
        int steps = 0;
        if (!entry.contains(QLatin1Char('.')) || !SimFrequency::parse(entry, &steps) || steps == 0)
            break;
        if (m_mode == 1)
            m_memory[m_current - 1].steps = steps;
        else if (m_mode == 2 || m_mode == 3)
            m_searchSteps = steps;
        break;
    }
    case 6: // SKIP: move on from the channel or frequency the scanner rests on
    case 9: // SRCH: search, or move the search on
        if ((m_mode == 0 || m_mode == 2 || m_mode == 3) && (m_running == Running::Stop || m_running == Running::Hit) &&
            (code == 6 || m_mode != 0)) {
            m_running = Running::None;
            closeSquelch(reports);
        }
        if (code == 9) {
            setMode(2);
            // The search runs between the limits: one programmed while it rested elsewhere starts it at the lower.
            if (!withinLimits(m_searchSteps))
                m_searchSteps = qMin(m_lowerLimit, m_upperLimit);
        }
        break;
    case 7: { // HOLD
        static const int held[] = {1, 1, 3, 2, 5, 4, 6, 7, 8, 10, 9, 12, 11};
        if (m_mode >= 0 && m_mode <= 12)
            setMode(held[m_mode]);
        break;
    }
    case 8: // LIMIT: search between the limits, from the lower one
        setMode(2);
        m_searchSteps = m_lowerLimit;
        break;
    case 10: // SVC
        setMode(4);
        break;
    case 11: // DATA
        m_dataSkip = !m_dataSkip;
        break;
    case 12: // DLY
        if (isTrunkMode(m_mode))
            m_trunkDelay = !m_trunkDelay;
        else
            m_memory[m_current - 1].delay = !m_memory[m_current - 1].delay;
        break;
    case 13: // TRUNK: in and out of trunking
        setMode(isTrunkMode(m_mode) ? 1 : 8);
        break;
    case 14: // SHIFT
        m_shift = !m_shift;
        break;
    default: // SPD
        break;
    }
}

void Pro2052Model::pressDigit(int digit) {
    // 0 stands for 10; with SHIFT latched the digits reach banks 11 to 20.
    const int bank = (digit == 0 ? 10 : digit) + (m_shift ? 10 : 0);
    if (m_mode == 0) {
        toggleBank(m_scanBanks, bank, kBanks);
    } else if (m_mode == 8 || m_mode == 11) {
        toggleBank(m_idScanBanks, bank, kIdBanks);
    } else if (m_mode == 12) {
        m_idChannel = digit == 0 ? 10 : digit;
    } else if (m_entry.size() < 9) {
        m_entry += QChar(QLatin1Char('0').unicode() + digit);
    }
    m_shift = false;
}

void Pro2052Model::toggleBank(std::array<bool, kBanks>& banks, int bank, int count) {
    if (bank > count)
        return;
    // The scanner keeps at least one bank in the list.
    const bool lastOne = banks[bank - 1] && lettersOf(banks).size() == 1;
    if (!lastOne)
        banks[bank - 1] = !banks[bank - 1];
}

bool Pro2052Model::beginActivity(const ActivityEvent& event, QStringList& lines) {
    if (m_running != Running::None)
        return false;
    switch (event.kind) {
    case ActivityEvent::Kind::Stop: {
        if (m_mode != 0 || event.channel < 1 || event.channel > kChannels)
            return false;
        const MemoryChannel& target = channel(event.channel);
        if (target.isEmpty() || target.lockout || !m_scanBanks[bankOf(event.channel) - 1])
            return false;
        m_current = event.channel;
        m_running = Running::Stop;
        break;
    }
    case ActivityEvent::Kind::Hit:
        if (m_mode != 2 && m_mode != 3)
            return false;
        // A running search hears only what lies between its limits; a held one only the frequency it is held on.
        if (m_mode == 2 && !withinLimits(event.steps))
            return false;
        if (m_mode == 2)
            m_searchSteps = event.steps;
        m_running = Running::Hit;
        break;
    case ActivityEvent::Kind::Call: {
        if (m_mode < 9 || m_mode > 12)
            return false;
        if (m_mode == 11 || m_mode == 12) {
            int foundBank = 0;
            int foundSlot = 0;
            for (int b = 1; b <= kIdBanks && foundBank == 0; ++b) {
                for (int s = 1; s <= kIdsPerBank; ++s) {
                    if (talkgroupAt(b, s) == event.talkgroup && (m_mode == 12 || m_idScanBanks[b - 1])) {
                        foundBank = b;
                        foundSlot = s;
                        break;
                    }
                }
            }
            if (foundBank == 0 || (m_mode == 12 && (foundBank != m_idBank || foundSlot != m_idChannel)))
                return false;
            m_idBank = foundBank;
            m_idChannel = foundSlot;
        }
        m_callTalkgroup = event.talkgroup;
        m_callSteps = event.steps;
        if (const int bank = bankOfFrequency(event.steps); bank > 0)
            m_trunkBank = bank;
        m_running = Running::Call;
        m_squelchOpen = true;
        if (m_idReports)
            lines << idLine(QLatin1Char('S'));
        return true;
    }
    default:
        return false;
    }
    m_squelchOpen = true;
    if (m_squelchReports) {
        lines << QStringLiteral("+");
        m_reportedOpen = true;
    }
    return true;
}

void Pro2052Model::endActivity(QStringList& lines) {
    const Running running = m_running;
    m_running = Running::None;
    if (running == Running::Call) {
        m_squelchOpen = false;
        if (m_idReports)
            lines << idLine(QLatin1Char('E'));
    } else if (running != Running::None) {
        closeSquelch(lines);
    }
}

QString Pro2052Model::describe(const ActivityEvent& event) const {
    switch (event.kind) {
    case ActivityEvent::Kind::Stop: {
        const MemoryChannel& target = channel(qBound(1, event.channel, kChannels));
        QString text = QStringLiteral("stop on channel %1 %2").arg(event.channel).arg(SimFrequency::text(target.steps));
        if (!target.name.isEmpty())
            text += QStringLiteral(" (%1)").arg(target.name);
        return text;
    }
    case ActivityEvent::Kind::Hit:
        return QStringLiteral("search hit on %1").arg(SimFrequency::text(m_mode == 3 ? m_searchSteps : event.steps));
    case ActivityEvent::Kind::Call:
        return QStringLiteral("call on talkgroup %1 at %2").arg(event.talkgroup).arg(SimFrequency::text(event.steps));
    default:
        return event.text;
    }
}
