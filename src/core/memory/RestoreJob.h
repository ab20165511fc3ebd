#pragma once

#include "MemoryJob.h"
#include "store/BackupSets.h"

#include <QDateTime>

#include <memory>

/**
 * The memory restore: programs a backup set into the chosen banks and writes the same channels into
 * the bank tables. For each channel the set holds it sends "PM", "DLN"/"DLF", "LON"/"LOF" and, for a
 * priority channel, "PC", then reads the channel back with "MA". A channel whose frequency, delay,
 * lockout or (when asked for) priority reads back differently is programmed once more and, still
 * different, listed in the result's notTaken; only a restore where every channel matched succeeds.
 * The trunked flag is not programmed here (the bank types are) and not compared; priority is compared
 * only where the set asks for it, because no command turns it off; an empty channel is compared by its
 * frequency alone, since the scanner reports an empty channel as locked out whatever was sent.
 *
 * A set named "OrvFreqs_..." holds one bank's worth by position 1 to 50 and is programmed into every
 * chosen bank. Before the first command, the channels about to be overwritten are backed up as the
 * set safetyBackupName() unless that is switched off.
 */
class RestoreJob : public MemoryJob {
    Q_OBJECT

public:
    /// One channel the restore will program: the scanner channel and the set's row for it.
    struct Planned {
        int channel = 0;
        BackupChannel row;
    };

    explicit RestoreJob(const MemoryJobContext& context, QObject* parent = nullptr);
    ~RestoreJob() override;

    /// "Before restore of NAME - DATE TIME", in the system's short date and time.
    static QString safetyBackupName(const QString& set, const QDateTime& when);
    /// The channels the set will program into the banks, in channel order; no value on a database error.
    static std::optional<QList<Planned>> plan(LocalDatabase& database, const QString& set, const QList<int>& banks);
    /// How many channels the set will change in the banks (plan()'s size); -1 on a database error.
    static int channelsToChange(LocalDatabase& database, const QString& set, const QList<int>& banks);

    /// Restores the set into the banks (1 to 20); with safetyBackup, backs the channels up first.
    void start(const QString& set, const QList<int>& banks, bool safetyBackup = true);
    /// After a NotTaken finish: programs the channels that did not take once more (no safety backup).
    void retryNotTaken();
    /// Banks that received a trunked channel in the last run.
    QList<int> trunkedBanks() const { return m_trunkedBanks; }

    /// With trunked channels restored, emits bankTypesWanted() and sends nothing; otherwise "MA001", "KEY00".
    void handBack() override;
    QStringList closingCommands() const override;

    /// The command stream for one planned channel, in the order it is sent (the read-back last).
    static QStringList commandsFor(const Planned& planned);
    /// True when the answer shows the channel as the row asks.
    static bool matches(const BackupChannel& row, const MemoryReply& reply);

Q_SIGNALS:
    /// The safety backup is stored as name, with channels rows.
    void safetyBackupStored(const QString& name, int channels);
    /// channel was programmed and read back; took is false when it still differs after the second try.
    void channelProgrammed(int channel, bool took);
    /// Trunked channels were restored into these banks: the bank-types window should open (handBack()).
    void bankTypesWanted(const QList<int>& banks);

private:
    void run(bool safetyBackup);
    void saveNext();
    void onSaved(const MemoryReply& reply);
    void programNext();
    void sendProgram(int index);
    void onReadBack(const MemoryReply& reply);
    void channelDone(const Planned& planned, bool took);
    void complete();
    MemoryJobResult result(MemoryJobResult::Outcome outcome, const QString& message) const override;

    QString m_set;
    QList<Planned> m_plan;
    int m_next = 0;
    bool m_secondTry = false;
    int m_programmedAhead = -1;
    QList<int> m_notTaken;
    QList<int> m_refused; ///< channels whose frequency the model does not receive: never sent
    QList<int> m_trunkedBanks;
    QString m_safetySet;
    int m_safetyStored = 0;
    bool m_saving = false;
    std::unique_ptr<BackupSetWriter> m_writer;
};
