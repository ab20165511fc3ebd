#include "Pro2052Model.h"

#include "SimFrequency.h"

#include <QRegularExpression>

namespace {

QChar flag(bool on) {
    return on ? QLatin1Char('N') : QLatin1Char('F');
}

// A channel number as three digits, the way every command and reply carries it.
QString threeDigits(int channel) {
    return channel == 1000 ? QStringLiteral("000") : QStringLiteral("%1").arg(channel, 3, 10, QLatin1Char('0'));
}

// "000" is channel 1000; anything but three digits is no channel.
int channelFromDigits(const QString& text) {
    static const QRegularExpression threeDigitPattern(QStringLiteral("^\\d{3}$"));
    if (!threeDigitPattern.match(text).hasMatch())
        return 0;
    const int number = text.toInt();
    return number == 0 ? 1000 : number;
}

int bankFromLetter(QChar letter, int count) {
    const int bank = letter.unicode() - 64;
    return bank >= 1 && bank <= count ? bank : 0;
}

const QString kOk = QStringLiteral("OK");

} // namespace

Pro2052Model::Pro2052Model() {
    m_scanBanks.fill(false);
    m_scanBanks[0] = true;
    m_idScanBanks.fill(false);
    m_idScanBanks[0] = true;
    m_trunkType.fill(trunkTypeNames().first());
    SimFrequency::parse(QStringLiteral("25"), &m_lowerLimit);
    SimFrequency::parse(QStringLiteral("1300"), &m_upperLimit);
    m_searchSteps = m_lowerLimit;
}

const QStringList& Pro2052Model::trunkTypeNames() {
    static const QStringList names{QStringLiteral("MOT TYPE II"), QStringLiteral("MOT TYPE I"),
                                   QStringLiteral("MOT HYBRID"),  QStringLiteral("EDACS"),
                                   QStringLiteral("LTR"),         QStringLiteral("MOT 800 SPLIT")};
    return names;
}

QString Pro2052Model::channelReply(int number, const MemoryChannel& channel) {
    // C001 F01542500 TF DN LF PRI F: positions 1-4, 7-14, 17, 20, 23 and 29 carry the data.
    return QStringLiteral("C%1 F%2 T%3 D%4 L%5 PRI %6")
        .arg(threeDigits(number), SimFrequency::digits(channel.steps))
        .arg(flag(channel.trunked))
        .arg(flag(channel.delay))
        .arg(flag(channel.lockout))
        .arg(flag(channel.priority));
}

QStringList Pro2052Model::answer(const QString& command) {
    bool known = false;
    QStringList lines = answerQuery(command, &known);
    if (!known)
        lines = answerSetting(command, &known);
    if (!known)
        lines = QStringList{QStringLiteral("NG")};
    return lines;
}

QStringList Pro2052Model::answerQuery(const QString& command, bool* known) {
    *known = true;
    if (command == QLatin1String("MD"))
        return {QStringLiteral("MD%1").arg(m_mode, 2, 10, QLatin1Char('0'))};
    if (command == QLatin1String("SI")) {
        m_reportedOpen = !m_squelchOpen;
        return {statusLine()};
    }
    if (command == QLatin1String("SQ"))
        return {statusLine()};
    if (command == QLatin1String("MA"))
        return {channelReply(m_current, channel(m_current))};
    if (command.size() == 5 && command.startsWith(QLatin1String("MA"))) {
        const int number = channelFromDigits(command.mid(2));
        if (number == 0)
            return {QStringLiteral("NG")};
        // Going to a memory channel leaves scanning: the scanner sits on it in manual mode.
        setMode(1);
        m_current = number;
        return {channelReply(m_current, channel(m_current))};
    }
    if (command == QLatin1String("SB"))
        return {QStringLiteral("SB ") + lettersOf(m_scanBanks)};
    if (command == QLatin1String("IS"))
        return {QStringLiteral("IS ") + lettersOf(m_idScanBanks)};
    if (command == QLatin1String("IC"))
        return {idChannelLine()};
    if (command == QLatin1String("TB"))
        return {QStringLiteral("TB %1 %2").arg(QChar(64 + m_trunkBank)).arg(m_trunkType[m_trunkBank - 1])};
    if (command == QLatin1String("WI"))
        return {QStringLiteral("WI F  ") + SimFrequency::digits(m_searchSteps)};
    if (command == QLatin1String("DL")) {
        const bool on = isTrunkMode(m_mode) ? m_trunkDelay : channel(m_current).delay;
        return {on ? QStringLiteral("DLN") : QStringLiteral("DLF")};
    }
    if (command == QLatin1String("DS"))
        return {m_dataSkip ? QStringLiteral("DSN") : QStringLiteral("DSF")};
    if (command == QLatin1String("RM")) {
        const double mhz = modulationSteps() / 10000.0;
        // Aircraft and HF are AM, broadcast FM is wide, everything else narrow FM.
        if (mhz > 0 && (mhz < 30.0 || (mhz >= 108.0 && mhz < 137.0)))
            return {QStringLiteral("RM AM")};
        if (mhz >= 88.0 && mhz < 108.0)
            return {QStringLiteral("RM WFM")};
        return {QStringLiteral("RM NFM")};
    }
    *known = false;
    return {};
}

QStringList Pro2052Model::answerSetting(const QString& command, bool* known) {
    *known = true;
    static const QRegularExpression keyPattern(QStringLiteral("^KEY(\\d\\d)(?: (\\d))?$"));
    const QRegularExpressionMatch key = keyPattern.match(command);
    if (key.hasMatch()) {
        const int code = key.captured(1).toInt();
        const bool digitKey = code == 2;
        if (code > 14 || digitKey != key.hasCaptured(2))
            return {QStringLiteral("NG")};
        // Keys are not answered; a squelch that closes because of one is still reported.
        QStringList reports;
        pressKey(code, key.captured(2), reports);
        return reports;
    }

    struct Switch {
        const char* text;
        bool Pro2052Model::*member;
        bool value;
    };
    static const Switch switches[] = {
        {"QUN", &Pro2052Model::m_squelchReports, true}, {"QUF", &Pro2052Model::m_squelchReports, false},
        {"IDN", &Pro2052Model::m_idReports, true},      {"IDF", &Pro2052Model::m_idReports, false},
        {"FIN", &Pro2052Model::m_freqWithId, true},     {"FIF", &Pro2052Model::m_freqWithId, false},
        {"DSN", &Pro2052Model::m_dataSkip, true},       {"DSF", &Pro2052Model::m_dataSkip, false},
    };
    for (const Switch& entry : switches) {
        if (command == QLatin1String(entry.text)) {
            this->*entry.member = entry.value;
            return {};
        }
    }
    if (command == QLatin1String("MUA") || command == QLatin1String("MUN") || command == QLatin1String("MUF")) {
        m_mute = command.at(2);
        return {};
    }
    if (command == QLatin1String("DLN") || command == QLatin1String("DLF")) {
        m_memory[m_current - 1].delay = command.endsWith(QLatin1Char('N'));
        return {kOk};
    }
    if (command == QLatin1String("LON") || command == QLatin1String("LOF")) {
        m_memory[m_current - 1].lockout = command.endsWith(QLatin1Char('N'));
        return {kOk};
    }
    if (command == QLatin1String("AC")) {
        cancelActivity();
        m_memory.fill(MemoryChannel{});
        for (auto& bank : m_ids)
            bank.fill(0);
        m_current = 1;
        return {kOk};
    }
    if (command.startsWith(QLatin1String("PM"))) {
        // PM001 01542500: the channel, one space, the frequency; eight zeros empty the channel.
        int steps = 0;
        const int number = channelFromDigits(command.mid(2, 3));
        if (command.size() != 14 || number == 0 || command.at(5) != QLatin1Char(' ') ||
            !SimFrequency::fromDigits(command.mid(6), &steps) || number == m_refused)
            return {QStringLiteral("NG")};
        MemoryChannel& target = m_memory[number - 1];
        if (steps == 0)
            target = MemoryChannel{};
        else
            target.steps = steps;
        // Programming selects the channel, so the delay and lockout commands that follow apply to it.
        m_current = number;
        return {kOk};
    }
    if (command.startsWith(QLatin1String("PC "))) {
        const int bank = command.size() == 7 ? bankFromLetter(command.at(3), kBanks) : 0;
        const int position = channelFromDigits(command.mid(4));
        if (bank == 0 || position < 1 || position > kChannelsPerBank)
            return {QStringLiteral("NG")};
        // One priority channel per bank.
        for (int i = 0; i < kChannelsPerBank; ++i)
            m_memory[(bank - 1) * kChannelsPerBank + i].priority = i + 1 == position;
        return {kOk};
    }
    if (command.startsWith(QLatin1String("LL")) || command.startsWith(QLatin1String("LU"))) {
        int steps = 0;
        if (!SimFrequency::fromDigits(command.mid(2), &steps))
            return {QStringLiteral("NG")};
        (command.at(1) == QLatin1Char('L') ? m_lowerLimit : m_upperLimit) = steps;
        return {kOk};
    }
    if (command.startsWith(QLatin1String("TR "))) {
        static const QRegularExpression typePattern(QStringLiteral("^TR ([A-T])(\\d{1,2})$"));
        const QRegularExpressionMatch match = typePattern.match(command);
        const int code = match.hasMatch() ? match.captured(2).toInt() : -1;
        if (code < 0 || code >= trunkTypeNames().size())
            return {QStringLiteral("NG")};
        m_trunkType[bankFromLetter(match.captured(1).at(0), kBanks) - 1] = trunkTypeNames().at(code);
        return {kOk};
    }
    *known = false;
    return {};
}

QString Pro2052Model::statusLine() {
    if (m_squelchOpen == m_reportedOpen)
        return QStringLiteral("N");
    m_reportedOpen = m_squelchOpen;
    return m_squelchOpen ? QStringLiteral("+") : QStringLiteral("-");
}

QString Pro2052Model::idLine(QChar status) const {
    // ID S 001234 08510125: status at 4, talkgroup at 6-11, frequency at 13-20 (only with FIN).
    QString line = QStringLiteral("ID %1 %2").arg(status).arg(m_callTalkgroup, 6, 10, QLatin1Char('0'));
    if (m_freqWithId)
        line += QLatin1Char(' ') + SimFrequency::digits(m_callSteps);
    return line;
}

QString Pro2052Model::idChannelLine() const {
    // IC A01001234: ID bank letter at 4, ID channel at 5-6, talkgroup from 7.
    return QStringLiteral("IC %1%2%3")
        .arg(QChar(64 + m_idBank))
        .arg(m_idChannel, 2, 10, QLatin1Char('0'))
        .arg(talkgroupAt(m_idBank, m_idChannel), 6, 10, QLatin1Char('0'));
}

int Pro2052Model::modulationSteps() const {
    if (m_mode == 2 || m_mode == 3)
        return m_searchSteps;
    if (isTrunkMode(m_mode) && m_callSteps > 0)
        return m_callSteps;
    return channel(m_current).steps;
}

int Pro2052Model::bankOfFrequency(int steps) const {
    for (int i = 0; i < kChannels; ++i) {
        if (m_memory[i].steps == steps)
            return bankOf(i + 1);
    }
    return 0;
}

QString Pro2052Model::lettersOf(const std::array<bool, kBanks>& banks) {
    QString letters;
    for (int i = 0; i < kBanks; ++i) {
        if (banks[i])
            letters += QChar(65 + i);
    }
    return letters;
}

bool Pro2052Model::parseLetters(const QString& letters, int count, std::array<bool, kBanks>* banks) {
    std::array<bool, kBanks> result{};
    for (const QChar letter : letters) {
        const int bank = bankFromLetter(letter, count);
        if (bank == 0)
            return false;
        result[bank - 1] = true;
    }
    if (letters.isEmpty())
        return false;
    *banks = result;
    return true;
}

bool Pro2052Model::configure(const QStringList& words, QString* error) {
    const QString& verb = words.value(0);
    const auto fail = [error](const QString& text) {
        *error = text;
        return false;
    };
    bool ok = false;
    if (verb == QLatin1String("program"))
        return configureProgram(words, error);
    if (verb == QLatin1String("mode") && words.size() == 2) {
        const int mode = words[1].toInt(&ok);
        if (!ok || mode < 0 || mode > 20)
            return fail(QStringLiteral("mode must be a code from 0 to 20"));
        setMode(mode);
        return true;
    }
    if (verb == QLatin1String("channel") && words.size() == 2) {
        const int number = words[1].toInt(&ok);
        if (!ok || number < 1 || number > kChannels)
            return fail(QStringLiteral("channel must be 1 to 1000"));
        m_current = number;
        return true;
    }
    if (verb == QLatin1String("banks") && words.size() == 2)
        return parseLetters(words[1], kBanks, &m_scanBanks) || fail(QStringLiteral("banks are letters A to T"));
    if (verb == QLatin1String("idbanks") && words.size() == 2)
        return parseLetters(words[1], kIdBanks, &m_idScanBanks) || fail(QStringLiteral("ID banks are letters A to J"));
    if (verb == QLatin1String("trunkbank") && words.size() == 2 && words[1].size() == 1) {
        const int bank = bankFromLetter(words[1].at(0), kBanks);
        if (bank == 0)
            return fail(QStringLiteral("trunkbank takes one bank letter A to T"));
        m_trunkBank = bank;
        return true;
    }
    if (verb == QLatin1String("trunktype") && words.size() >= 3 && words[1].size() == 1) {
        const int bank = bankFromLetter(words[1].at(0), kBanks);
        if (bank == 0)
            return fail(QStringLiteral("trunktype takes a bank letter A to T and a name"));
        m_trunkType[bank - 1] = words.mid(2).join(QLatin1Char(' '));
        return true;
    }
    if (verb == QLatin1String("talkgroup") && words.size() >= 4 && words[1].size() == 1) {
        const int bank = bankFromLetter(words[1].at(0), kIdBanks);
        const int slot = words[2].toInt();
        const int id = words[3].toInt(&ok);
        if (bank == 0 || slot < 1 || slot > kIdsPerBank || !ok || id < 0 || id > 999999)
            return fail(QStringLiteral("talkgroup takes an ID bank A to J, a slot 1 to 10 and an ID"));
        m_ids[bank - 1][slot - 1] = id;
        return true;
    }
    if (verb == QLatin1String("limits") && words.size() == 3) {
        int low = 0;
        int high = 0;
        if (!SimFrequency::parse(words[1], &low) || !SimFrequency::parse(words[2], &high) || low > high)
            return fail(QStringLiteral("limits takes the lower and upper frequency in MHz"));
        m_lowerLimit = low;
        m_upperLimit = high;
        m_searchSteps = low;
        return true;
    }
    if (verb == QLatin1String("clear") && words.size() == 1) {
        answer(QStringLiteral("AC"));
        return true;
    }
    return fail(QStringLiteral("unknown or incomplete set-up line \"%1\"").arg(words.join(QLatin1Char(' '))));
}

bool Pro2052Model::configureProgram(const QStringList& words, QString* error) {
    // program <channel> <MHz> [trunked] [delay] [lockout] [priority] [name ...]
    bool ok = false;
    const int number = words.value(1).toInt(&ok);
    MemoryChannel entry;
    if (!ok || number < 1 || number > kChannels || !SimFrequency::parse(words.value(2), &entry.steps)) {
        *error = QStringLiteral("program takes a channel 1 to 1000 and a frequency in MHz");
        return false;
    }
    int next = 3;
    for (; next < words.size(); ++next) {
        const QString& word = words[next];
        if (word == QLatin1String("trunked"))
            entry.trunked = true;
        else if (word == QLatin1String("delay"))
            entry.delay = true;
        else if (word == QLatin1String("lockout"))
            entry.lockout = true;
        else if (word == QLatin1String("priority"))
            entry.priority = true;
        else
            break;
    }
    // "CO FIRE / Marion County Fire": the scanner shows the alpha tag before the slash; the licensee after it is
    // only for the names the simulator's data folder starts with.
    entry.name = words.mid(next).join(QLatin1Char(' ')).section(QStringLiteral(" / "), 0, 0);
    m_memory[number - 1] = entry;
    return true;
}
