#include "BackupJob.h"

#include "Clock.h"
#include "protocol/ChannelToBank.h"
#include "protocol/Commands.h"
#include "protocol/MemoryReply.h"
#include "store/BackupSets.h"

#include <QLocale>

BackupJob::BackupJob(const MemoryJobContext& context, QObject* parent)
    : MemoryJob(context, parent) {}

BackupJob::~BackupJob() = default;

BackupChannel BackupJob::rowFrom(const MemoryReply& reply) {
    BackupChannel row;
    row.channel = reply.channel;
    row.frequencyText = reply.frequencyText;
    row.frequency = reply.frequency;
    row.trunked = reply.trunked;
    row.delay = reply.delay;
    row.lockout = reply.lockout;
    row.priority = reply.priority;
    return row;
}

QString BackupJob::setName(const QString& typed, const QDate& date) {
    const QString name = typed.isEmpty() ? QStringLiteral("VDPro") : typed;
    return name + QStringLiteral(" - ") + QLocale::system().toString(date, QLocale::ShortFormat);
}

void BackupJob::start(const QList<int>& banks, const QString& setName) {
    if (isRunning())
        return;
    // A line break in the name would split the set in every list that shows it.
    if (const QString problem = BackupSets::nameProblem(setName); !problem.isEmpty()) {
        m_set = setName;
        m_channels.clear();
        m_next = 0;
        if (begin(0))
            finish(result(MemoryJobResult::Outcome::Failed, problem.at(0).toUpper() + problem.mid(1) + '.'));
        return;
    }
    QList<int> channels;
    for (int bank = 1; bank <= 20; ++bank) {
        if (!banks.contains(bank))
            continue;
        for (int position = 1; position <= kChannelsPerBank; ++position)
            channels.append((bank - 1) * kChannelsPerBank + position);
    }
    if (isRunning())
        return;
    m_set = setName;
    m_channels = channels;
    m_copyTalkgroups = true;
    m_talkgroups = 0;
    m_next = 0;
    m_writer = std::make_unique<BackupSetWriter>(m_ctx.database, m_set);
    if (!begin(int(m_channels.size())))
        return;
    // Squelch and ID reports would only crowd the line while the channels are read.
    send(Commands::memoryRead(1));
    send(Commands::IdReportOff);
    send(Commands::QuickOff);
    send(Commands::memoryRead(1));
    drain();
    readNext();
}

void BackupJob::startChannels(const QList<int>& channels, const QString& setName, bool copyTalkgroups) {
    if (isRunning())
        return;
    m_set = setName;
    m_channels = channels;
    m_copyTalkgroups = copyTalkgroups;
    m_talkgroups = 0;
    m_next = 0;
    m_writer = std::make_unique<BackupSetWriter>(m_ctx.database, m_set);
    if (begin(int(m_channels.size())))
        readNext();
}

QStringList BackupJob::closingCommands() const {
    return {Commands::IdReportOn, Commands::QuickOn, Commands::memoryRead(1), Commands::key(Commands::Key::Scan)};
}

void BackupJob::readNext() {
    if (m_next >= m_channels.size()) {
        complete();
        return;
    }
    const int channel = m_channels.at(m_next);
    Q_EMIT working(channelToBank(channel), channel);
    read(channel, [this](const MemoryReply& reply) { onAnswer(reply); });
    if (m_next + 1 < m_channels.size())
        sendAhead(m_channels.at(m_next + 1));
}

void BackupJob::onAnswer(const MemoryReply& reply) {
    BackupChannel row = rowFrom(reply);
    // The names follow the frequency: any row of the bank's table with it supplies them.
    if (!reply.isEmpty())
        row.names = m_writer->bankNames(channelToBank(reply.channel), reply.frequency);
    // A channel counts once its row is in the file, never while it only waits for it.
    const int channel = reply.channel;
    const bool empty = reply.isEmpty();
    store([this, row] { return m_writer->store(row); },
          [this, channel, empty] {
              ++m_next;
              setDone(m_next);
              Q_EMIT channelStored(channel, empty);
              readNext();
          },
          QStringLiteral("The local database did not take channel %1").arg(channel));
}

void BackupJob::complete() {
    if (!m_copyTalkgroups) {
        finish(result(MemoryJobResult::Outcome::Succeeded, QString()));
        return;
    }
    store([this] { return BackupSets(m_ctx.database).copyTalkgroups(m_set); },
          [this] {
              m_talkgroups = qMax(0, BackupSets(m_ctx.database).talkgroupCount(m_set));
              finish(result(MemoryJobResult::Outcome::Succeeded, QString()));
          },
          QStringLiteral("The local database did not take the talkgroups"));
}

MemoryJobResult BackupJob::result(MemoryJobResult::Outcome outcome, const QString& why) const {
    MemoryJobResult r;
    r.outcome = outcome;
    r.setName = m_set;
    r.channelsDone = m_next;
    r.channelsTotal = int(m_channels.size());
    r.talkgroups = m_talkgroups;
    const QString stored = QStringLiteral("%1 of %2 channels").arg(r.channelsDone).arg(r.channelsTotal);
    switch (outcome) {
    case MemoryJobResult::Outcome::Succeeded:
        r.message = m_copyTalkgroups
                        ? QStringLiteral("Backup set \"%1\": %2 channels and %3 talkgroups stored.")
                              .arg(m_set)
                              .arg(r.channelsDone)
                              .arg(r.talkgroups)
                        : QStringLiteral("Backup set \"%1\": %2 channels stored.").arg(m_set).arg(r.channelsDone);
        break;
    case MemoryJobResult::Outcome::Cancelled:
        r.message = QStringLiteral("Backup cancelled; %1 stored in set \"%2\" stay.").arg(stored, m_set);
        break;
    default:
        r.message = QStringLiteral("%1 Backup ended; %2 stored in set \"%3\" stay.").arg(why, stored, m_set);
        break;
    }
    return r;
}
