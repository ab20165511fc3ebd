#include "RestoreJob.h"

#include "BackupJob.h"
#include "Clock.h"
#include "monitor/Monitor.h"
#include "protocol/ChannelToBank.h"
#include "protocol/Commands.h"
#include "protocol/MemoryReply.h"
#include "store/LocalDatabase.h"

#include <QLocale>

namespace {

// The frequency a row programs: its sFREQ text when that is a number, else its FREQUENCY.
double programmedMhz(const BackupChannel& row) {
    bool ok = false;
    const double mhz = row.frequencyText.trimmed().toDouble(&ok);
    return ok ? mhz : row.frequency;
}

} // namespace

RestoreJob::RestoreJob(const MemoryJobContext& context, QObject* parent)
    : MemoryJob(context, parent) {}

RestoreJob::~RestoreJob() = default;

QString RestoreJob::safetyBackupName(const QString& set, const QDateTime& when) {
    const QLocale locale = QLocale::system();
    return QStringLiteral("Before restore of %1 - %2 %3")
        .arg(set, locale.toString(when.date(), QLocale::ShortFormat),
             locale.toString(when.time(), QLocale::ShortFormat));
}

std::optional<QList<RestoreJob::Planned>> RestoreJob::plan(LocalDatabase& database, const QString& set,
                                                           const QList<int>& banks) {
    const auto rows = BackupSets(database).channels(set);
    if (!rows)
        return std::nullopt;
    const bool byPosition = BackupSets::isPositionSet(set);
    QList<Planned> planned;
    for (int bank = 1; bank <= 20; ++bank) {
        if (!banks.contains(bank))
            continue;
        for (int position = 1; position <= kChannelsPerBank; ++position) {
            const int channel = (bank - 1) * kChannelsPerBank + position;
            const int wanted = byPosition ? position : channel;
            // The first row of a channel counts; a search set saved twice holds each position twice.
            for (const BackupChannel& row : *rows) {
                if (row.channel == wanted) {
                    planned.append({channel, row});
                    break;
                }
            }
        }
    }
    return planned;
}

int RestoreJob::channelsToChange(LocalDatabase& database, const QString& set, const QList<int>& banks) {
    const auto planned = plan(database, set, banks);
    return planned ? int(planned->size()) : -1;
}

bool RestoreJob::clearsChannel(const BackupChannel& row) {
    return Commands::frequencyDigits(programmedMhz(row)) == QLatin1String("00000000");
}

QStringList RestoreJob::commandsFor(const Planned& planned) {
    const BackupChannel& row = planned.row;
    QStringList commands{Commands::programChannel(planned.channel, programmedMhz(row)), Commands::delay(row.delay),
                         Commands::lockout(row.lockout)};
    if (row.priority) {
        commands.append(
            Commands::priorityChannel(channelToBank(planned.channel), (planned.channel - 1) % kChannelsPerBank + 1));
    }
    commands.append(Commands::memoryRead(planned.channel));
    return commands;
}

bool RestoreJob::matches(const BackupChannel& row, const MemoryReply& reply) {
    if (clearsChannel(row))
        return reply.isEmpty();
    const QString wanted = Commands::frequencyDigits(programmedMhz(row));
    return !reply.isEmpty() && Commands::frequencyDigits(reply.frequency) == wanted && reply.delay == row.delay &&
           reply.lockout == row.lockout && (!row.priority || reply.priority);
}

void RestoreJob::start(const QString& set, const QList<int>& banks, bool safetyBackup) {
    if (isRunning())
        return;
    m_set = set;
    m_safetySet.clear();
    const auto planned = plan(m_ctx.database, set, banks);
    if (!planned) {
        m_plan.clear();
        if (begin(0))
            finish(result(MemoryJobResult::Outcome::Failed,
                          QStringLiteral("The local database cannot read set \"%1\".").arg(set)));
        return;
    }
    m_plan = *planned;
    // The banks that received trunked channels are kept across a retry of the channels that did not take.
    m_trunkedBanks.clear();
    // A set that does not exist is no restore at all, not a successful one that programmed nothing.
    if (m_plan.isEmpty() && BackupSets(m_ctx.database).channels(set).value_or(QList<BackupChannel>()).isEmpty()) {
        if (begin(0))
            finish(result(MemoryJobResult::Outcome::Failed, QStringLiteral("There is no backup set \"%1\".").arg(set)));
        return;
    }
    run(safetyBackup && !m_plan.isEmpty());
}

void RestoreJob::retryNotTaken() {
    if (isRunning() || m_notTaken.isEmpty())
        return;
    QList<Planned> again;
    for (const Planned& p : std::as_const(m_plan)) {
        if (m_notTaken.contains(p.channel))
            again.append(p);
    }
    m_plan = again;
    m_safetySet.clear();
    run(false);
}

void RestoreJob::run(bool safetyBackup) {
    m_notTaken.clear();
    m_safetyStored = 0;
    m_next = 0;
    m_secondTry = false;
    m_programmedAhead = -1;
    m_saving = safetyBackup;
    const int planned = int(m_plan.size());
    if (!begin(safetyBackup ? 2 * planned : planned))
        return;
    if (safetyBackup) {
        m_safetySet = safetyBackupName(m_set, QDateTime(m_ctx.clock.date(), m_ctx.clock.timeOfDay()));
        m_writer = std::make_unique<BackupSetWriter>(m_ctx.database, m_safetySet);
        saveNext();
    } else {
        programNext();
    }
}

void RestoreJob::saveNext() {
    if (m_next >= m_plan.size()) {
        Q_EMIT safetyBackupStored(m_safetySet, m_safetyStored);
        m_saving = false;
        m_next = 0;
        programNext();
        return;
    }
    const int channel = m_plan.at(m_next).channel;
    Q_EMIT working(channelToBank(channel), channel);
    read(channel, [this](const MemoryReply& reply) { onSaved(reply); });
    if (m_next + 1 < m_plan.size())
        sendAhead(m_plan.at(m_next + 1).channel);
}

void RestoreJob::onSaved(const MemoryReply& reply) {
    BackupChannel row = BackupJob::rowFrom(reply);
    if (!reply.isEmpty())
        row.names = m_writer->bankNames(channelToBank(reply.channel), reply.frequency);
    // Nothing is programmed until every channel about to change is safe in the set.
    if (!m_writer->store(row)) {
        finish(result(MemoryJobResult::Outcome::Failed,
                      QStringLiteral("The local database did not take the safety backup of channel %1; nothing was "
                                     "programmed.")
                          .arg(reply.channel)));
        return;
    }
    ++m_safetyStored;
    ++m_next;
    setDone(m_next);
    saveNext();
}

void RestoreJob::programNext() {
    if (m_next >= m_plan.size()) {
        complete();
        return;
    }
    const Planned& planned = m_plan.at(m_next);
    Q_EMIT working(channelToBank(planned.channel), planned.channel);
    if (m_secondTry || m_programmedAhead != m_next)
        sendProgram(m_next);
    read(planned.channel, [this](const MemoryReply& reply) { onReadBack(reply); });
    // The next channel's commands and read-back go out now, so the scanner takes them while this answer is checked.
    if (!m_secondTry && m_next + 1 < m_plan.size()) {
        sendProgram(m_next + 1);
        sendAhead(m_plan.at(m_next + 1).channel);
        m_programmedAhead = m_next + 1;
    }
}

void RestoreJob::sendProgram(int index) {
    // The program commands go out back to back; only the read-back at the end is waited for.
    const QStringList commands = commandsFor(m_plan.at(index));
    for (qsizetype i = 0; i + 1 < commands.size(); ++i)
        send(commands.at(i));
}

void RestoreJob::onReadBack(const MemoryReply& reply) {
    const Planned planned = m_plan.at(m_next);
    const bool took = matches(planned.row, reply);
    if (!took && !m_secondTry) {
        qCInfo(lcMemory) << "channel" << planned.channel << "did not take; programming it once more";
        m_secondTry = true;
        // A late duplicate of the first answer must not stand for the second; the next channel's read-back,
        // sent ahead, is dropped while this one is awaited, so it is asked again.
        drain();
        forgetAhead();
        programNext();
        return;
    }
    m_secondTry = false;
    const int bank = channelToBank(planned.channel);
    if (took) {
        // The bank table names what the scanner holds, so a channel that did not take leaves it alone.
        if (!BackupSets(m_ctx.database).writeBankChannel(bank, planned.channel, planned.row)) {
            finish(result(MemoryJobResult::Outcome::Failed,
                          QStringLiteral("The local database did not take bank %1's row for channel %2.")
                              .arg(bank)
                              .arg(planned.channel)));
            return;
        }
        if (planned.row.trunked && !m_trunkedBanks.contains(bank))
            m_trunkedBanks.append(bank);
    } else {
        m_notTaken.append(planned.channel);
    }
    ++m_next;
    setDone(m_safetyStored + m_next);
    Q_EMIT channelProgrammed(planned.channel, took);
    programNext();
}

void RestoreJob::complete() {
    finish(result(m_notTaken.isEmpty() ? MemoryJobResult::Outcome::Succeeded : MemoryJobResult::Outcome::NotTaken,
                  QString()));
}

void RestoreJob::handBack() {
    if (!isRunning() && !m_trunkedBanks.isEmpty()) {
        // The bank-types window takes over from here and hands back itself.
        drain();
        Q_EMIT bankTypesWanted(m_trunkedBanks);
        if (m_ctx.monitor)
            m_ctx.monitor->goBackToFacePlate();
        return;
    }
    MemoryJob::handBack();
}

QStringList RestoreJob::closingCommands() const {
    return {Commands::memoryRead(1), Commands::key(Commands::Key::Scan)};
}

MemoryJobResult RestoreJob::result(MemoryJobResult::Outcome outcome, const QString& why) const {
    MemoryJobResult r;
    r.outcome = outcome;
    r.setName = m_set;
    r.safetySet = m_safetySet;
    r.channelsTotal = int(m_plan.size());
    r.channelsDone = m_saving ? 0 : int(m_next - m_notTaken.size());
    r.notTaken = m_notTaken;
    QStringList listed;
    for (int channel : m_notTaken)
        listed.append(QString::number(channel));
    const QString safety = m_safetySet.isEmpty()
                               ? QString()
                               : QStringLiteral(" The channels before it are in set \"%1\".").arg(m_safetySet);
    switch (outcome) {
    case MemoryJobResult::Outcome::Succeeded:
        r.message =
            QStringLiteral("Set \"%1\" restored: %2 channels programmed and read back.").arg(m_set).arg(r.channelsDone);
        break;
    case MemoryJobResult::Outcome::NotTaken:
        r.message = QStringLiteral("Set \"%1\": %2 of %3 channels took; these did not: %4.")
                        .arg(m_set)
                        .arg(r.channelsDone)
                        .arg(r.channelsTotal)
                        .arg(listed.join(QStringLiteral(", ")));
        break;
    case MemoryJobResult::Outcome::Cancelled:
        r.message =
            QStringLiteral("Restore cancelled after %1 of %2 channels.").arg(r.channelsDone).arg(r.channelsTotal);
        break;
    default:
        r.message = QStringLiteral("%1 Restore ended after %2 of %3 channels.")
                        .arg(why)
                        .arg(r.channelsDone)
                        .arg(r.channelsTotal);
        break;
    }
    r.message += safety;
    return r;
}
