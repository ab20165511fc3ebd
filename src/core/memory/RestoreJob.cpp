#include "RestoreJob.h"

#include "BackupJob.h"
#include "Clock.h"
#include "monitor/Monitor.h"
#include "protocol/ChannelToBank.h"
#include "protocol/Commands.h"
#include "protocol/MemoryReply.h"
#include "store/LocalDatabase.h"

#include "state/ScannerProfile.h"
#include "state/ScannerState.h"

#include <QLocale>

#include <cmath>

namespace {

// The frequency a row programs: its sFREQ text when that is a number, else its FREQUENCY.
double programmedMhz(const BackupChannel& row) {
    bool ok = false;
    const double mhz = row.frequencyText.trimmed().toDouble(&ok);
    return ok ? mhz : row.frequency;
}

// A row the scanner can hold: an empty channel, or a frequency in one of the model's bands. Anything else
// ("inf", a negative or a huge number) would be pinned to the pattern's ends and program another channel.
bool receivable(const BackupChannel& row, quint8 model) {
    const double mhz = programmedMhz(row);
    if (!std::isfinite(mhz) || mhz < 0.0 || mhz > 9999.9999)
        return false;
    // The scanner is programmed in steps of 100 Hz.
    const qint64 steps = qRound64(mhz * 10000.0);
    return steps == 0 || ScannerProfile::forModel(model).receives(steps * 100);
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
    const QString wanted = Commands::frequencyDigits(programmedMhz(row));
    if (wanted == QLatin1String("00000000"))
        return reply.isEmpty();
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
    // Channels the scanner cannot receive are not sent at all; they are listed as not taken.
    m_plan.clear();
    m_refused.clear();
    for (const Planned& p : *planned) {
        if (receivable(p.row, m_ctx.state.gScannerModel))
            m_plan.append(p);
        else
            m_refused.append(p.channel);
    }
    // The banks that received trunked channels are kept across a retry of the channels that did not take.
    m_trunkedBanks.clear();
    // A set that does not exist is no restore at all, not a successful one that programmed nothing.
    if (m_plan.isEmpty() && m_refused.isEmpty() &&
        BackupSets(m_ctx.database).channels(set).value_or(QList<BackupChannel>()).isEmpty()) {
        if (begin(0))
            finish(result(MemoryJobResult::Outcome::Failed, QStringLiteral("There is no backup set \"%1\".").arg(set)));
        return;
    }
    run(safetyBackup && !m_plan.isEmpty());
}

void RestoreJob::retryNotTaken() {
    // Refused channels stay refused: they are listed again, never sent (so a retry of only those ends at once).
    if (isRunning() || (m_notTaken.isEmpty() && m_refused.isEmpty()))
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
    // Nothing is programmed until every channel about to change is in the safety set's file.
    store([this, row] { return m_writer->store(row); },
          [this] {
              ++m_safetyStored;
              ++m_next;
              setDone(m_next);
              saveNext();
          },
          QStringLiteral("The local database did not take the safety backup of channel %1").arg(reply.channel));
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
    if (!took) {
        m_notTaken.append(planned.channel);
        channelDone(planned, false);
        return;
    }
    // The bank table names what the scanner holds, so a channel that did not take leaves it alone.
    store(
        [this, bank, planned] {
            return BackupSets(m_ctx.database).writeBankChannel(bank, planned.channel, planned.row);
        },
        [this, bank, planned] {
            if (planned.row.trunked && !m_trunkedBanks.contains(bank))
                m_trunkedBanks.append(bank);
            channelDone(planned, true);
        },
        QStringLiteral("The local database did not take bank %1's row for channel %2").arg(bank).arg(planned.channel));
}

void RestoreJob::channelDone(const Planned& planned, bool took) {
    ++m_next;
    setDone(m_safetyStored + m_next);
    Q_EMIT channelProgrammed(planned.channel, took);
    programNext();
}

void RestoreJob::complete() {
    finish(result(m_notTaken.isEmpty() && m_refused.isEmpty() ? MemoryJobResult::Outcome::Succeeded
                                                              : MemoryJobResult::Outcome::NotTaken,
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
    // A safety set is named only once every row of it is in the file.
    r.safetySet = m_saving ? QString() : m_safetySet;
    r.channelsTotal = int(m_plan.size() + m_refused.size());
    r.channelsDone = m_saving ? 0 : int(m_next - m_notTaken.size());
    r.notTaken = m_refused + m_notTaken;
    std::sort(r.notTaken.begin(), r.notTaken.end());
    QStringList listed;
    for (int channel : std::as_const(r.notTaken))
        listed.append(QString::number(channel));
    const QString safety = r.safetySet.isEmpty()
                               ? QString()
                               : QStringLiteral(" The channels before it are in set \"%1\".").arg(r.safetySet);
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
        if (!m_refused.isEmpty()) {
            QStringList refused;
            for (int channel : m_refused)
                refused.append(QString::number(channel));
            const QString model = ScannerProfile::forModel(m_ctx.state.gScannerModel).name;
            r.message +=
                m_refused.size() == 1
                    ? QStringLiteral(" Channel %1 holds a frequency the %2 does not receive and was not sent.")
                          .arg(refused.first(), model)
                    : QStringLiteral(" Channels %1 hold frequencies the %2 does not receive and were not sent.")
                          .arg(refused.join(QStringLiteral(", ")), model);
        }
        break;
    case MemoryJobResult::Outcome::Cancelled:
        r.message =
            QStringLiteral("Restore cancelled after %1 of %2 channels.").arg(r.channelsDone).arg(r.channelsTotal);
        break;
    default:
        r.message = m_saving ? QStringLiteral("%1 Nothing was programmed.").arg(why)
                             : QStringLiteral("%1 Restore ended after %2 of %3 channels.")
                                   .arg(why)
                                   .arg(r.channelsDone)
                                   .arg(r.channelsTotal);
        break;
    }
    r.message += safety;
    return r;
}
