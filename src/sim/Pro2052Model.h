#pragma once

#include "SimulatedScanner.h"

#include <QList>
#include <QString>
#include <array>

/// One memory channel of the simulated scanner. A frequency of 0 is an empty channel.
struct MemoryChannel {
    int steps = 0; ///< frequency in steps of 100 Hz
    bool trunked = false;
    bool delay = false;
    bool lockout = false;
    bool priority = false;
    QString name; ///< only for the simulator's own log; the scanner does not store names

    bool isEmpty() const { return steps == 0; }
};

/**
 * The RadioShack PRO-2052: 1000 memory channels in 20 banks of 50, ten talkgroup ID banks of
 * ten IDs, the operating modes 0 to 12 and the PC-control command set. It answers queries at
 * once; key codes change its state and answer nothing, as on the real scanner.
 */
class Pro2052Model final : public SimulatedScanner {
public:
    static constexpr int kChannels = 1000;
    static constexpr int kBanks = 20;
    static constexpr int kChannelsPerBank = 50;
    static constexpr int kIdBanks = 10;
    static constexpr int kIdsPerBank = 10;

    Pro2052Model();

    /// The bank 1 to 20 of a memory channel 1 to 1000, 0 outside them. The simulator keeps its own
    /// memory arithmetic so that it stays an independent check of the program's.
    static constexpr int bankOf(int channel) {
        return channel >= 1 && channel <= kChannels ? (channel - 1) / kChannelsPerBank + 1 : 0;
    }

    QString name() const override { return QStringLiteral("pro2052"); }
    int mode() const override { return m_mode; }
    QStringList answer(const QString& command) override;
    bool configure(const QStringList& words, QString* error) override;
    bool beginActivity(const ActivityEvent& event, QStringList& lines) override;
    void endActivity(QStringList& lines) override;
    bool activityRunning() const override { return m_running != Running::None; }
    QString describe(const ActivityEvent& event) const override;

    /// Channel 1 to 1000.
    const MemoryChannel& channel(int number) const { return m_memory[number - 1]; }
    /// A channel (1 to 1000) whose memory is faulty: "PM" for it answers "NG" and changes nothing. 0: none.
    void setRefusedChannel(int number) { m_refused = number; }
    int refusedChannel() const { return m_refused; }
    void setChannel(int number, const MemoryChannel& channel) { m_memory[number - 1] = channel; }
    int currentChannel() const { return m_current; }
    /// Sets the mode as if the operator had turned the scanner to it; a running stop, hit or
    /// call ends quietly unless the new mode is the held (or released) form of the same one.
    void setMode(int mode);
    QString scanBanks() const { return lettersOf(m_scanBanks); }
    QString idScanBanks() const { return lettersOf(m_idScanBanks); }
    QString keyEntry() const { return m_entry; }
    int searchSteps() const { return m_searchSteps; }
    int lowerLimit() const { return m_lowerLimit; }
    int upperLimit() const { return m_upperLimit; }
    /// True when a frequency (in steps) lies between the search limits, whichever way round they were set.
    bool withinLimits(int steps) const {
        return steps >= qMin(m_lowerLimit, m_upperLimit) && steps <= qMax(m_lowerLimit, m_upperLimit);
    }
    /// 'A' (auto), 'N' (on) or 'F' (off), as set by "MUA", "MUN" and "MUF".
    QChar mute() const { return m_mute; }
    bool squelchOpen() const { return m_squelchOpen; }
    int talkgroupAt(int idBank, int idChannel) const { return m_ids[idBank - 1][idChannel - 1]; }
    QString trunkTypeText(int bank) const { return m_trunkType[bank - 1]; }

    /// The channel reply: "C" + three digits (000 = 1000), frequency at 7-14, the trunked,
    /// delay, lockout and priority flags at 17, 20, 23 and 29 ("N" on, "F" off).
    static QString channelReply(int number, const MemoryChannel& channel);
    /// The names of the trunked-system type codes "TR" accepts, by code.
    static const QStringList& trunkTypeNames();

private:
    enum class Running { None, Stop, Hit, Call };

    /// Trunk tracking, ID scan and their held forms (modes 8 to 12).
    static bool isTrunkMode(int mode) { return mode >= 8 && mode <= 12; }

    QStringList answerQuery(const QString& command, bool* known);
    QStringList answerSetting(const QString& command, bool* known);
    void pressKey(int code, const QString& argument, QStringList& reports);
    void pressDigit(int digit);
    void toggleBank(std::array<bool, kBanks>& banks, int bank, int count);
    /// Ends a running stop, hit or call without reporting it (the operator moved on).
    void cancelActivity();
    void closeSquelch(QStringList& lines);
    QString statusLine();
    QString idLine(QChar status) const;
    QString idChannelLine() const;
    int modulationSteps() const;
    int bankOfFrequency(int steps) const;
    bool configureProgram(const QStringList& words, QString* error);
    static QString lettersOf(const std::array<bool, kBanks>& banks);
    static bool parseLetters(const QString& letters, int count, std::array<bool, kBanks>* banks);

    std::array<MemoryChannel, kChannels> m_memory;
    std::array<std::array<int, kIdsPerBank>, kIdBanks> m_ids{};
    std::array<bool, kBanks> m_scanBanks{};
    std::array<bool, kBanks> m_idScanBanks{};
    std::array<QString, kBanks> m_trunkType;
    int m_mode = 0;
    int m_current = 1;
    int m_refused = 0;
    int m_idBank = 1;
    int m_idChannel = 1;
    int m_trunkBank = 2;
    int m_searchSteps = 0;
    int m_lowerLimit = 0;
    int m_upperLimit = 0;
    QString m_entry;
    bool m_shift = false;
    bool m_dataSkip = false;
    bool m_trunkDelay = false;
    QChar m_mute = QLatin1Char('A');
    bool m_squelchReports = true;
    bool m_idReports = true;
    bool m_freqWithId = true;
    bool m_squelchOpen = false;
    bool m_reportedOpen = false;
    Running m_running = Running::None;
    int m_callTalkgroup = 0;
    int m_callSteps = 0;
};
