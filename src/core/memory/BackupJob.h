#pragma once

#include "MemoryJob.h"

#include <QDate>

#include <memory>

struct BackupChannel;
class BackupSetWriter;

/**
 * The memory backup: reads the chosen banks channel by channel ("MA" + three digits), stores each
 * channel in BACKUP_CHANNELS as soon as it is read (names copied from the bank's table by
 * frequency), then copies the talkgroup table into the set. A ticked bank always gives its 50 rows,
 * empty channels included, so a restore can empty them again.
 */
class BackupJob : public MemoryJob {
    Q_OBJECT

public:
    explicit BackupJob(const MemoryJobContext& context, QObject* parent = nullptr);
    ~BackupJob() override;

    /// The set name the window builds: the typed text (empty gives "VDPro"), " - ", the short date.
    static QString setName(const QString& typed, const QDate& date);

    /// Backs up every channel of the banks (1 to 20) into the set; talkgroups after the last channel.
    void start(const QList<int>& banks, const QString& setName);
    /// Backs up just these channels (1 to 1000), without the talkgroups: the restore's safety backup.
    void startChannels(const QList<int>& channels, const QString& setName, bool copyTalkgroups = false);

    /// The set row for a channel as the scanner answered it (no names yet).
    static BackupChannel rowFrom(const MemoryReply& reply);

    /// Handing back turns the squelch and ID reports on again and returns to channel 1.
    QStringList closingCommands() const override;

Q_SIGNALS:
    /// A channel's row is stored.
    void channelStored(int channel, bool empty);

private:
    void readNext();
    void onAnswer(const MemoryReply& reply);
    void complete();
    MemoryJobResult result(MemoryJobResult::Outcome outcome, const QString& message) const override;

    QString m_set;
    QList<int> m_channels;
    int m_next = 0;
    bool m_copyTalkgroups = true;
    int m_talkgroups = 0;
    std::unique_ptr<BackupSetWriter> m_writer;
};
