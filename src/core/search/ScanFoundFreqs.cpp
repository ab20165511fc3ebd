#include "ScanFoundFreqs.h"

#include "Clock.h"
#include "Prompter.h"
#include "SearchResultsSet.h"
#include "memory/RestoreJob.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QDateTime>

ScanFoundFreqs::ScanFoundFreqs(const MemoryJobContext& context, Prompter& prompter, const QString& appTitle, int banks,
                               QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_prompter(prompter)
    , m_title(appTitle)
    , m_banks(banks) {}

ScanFoundFreqs::~ScanFoundFreqs() = default;

QString ScanFoundFreqs::confirmText(int count, int bank) {
    const int first = (bank - 1) * SearchResultsSet::kChannels + 1;
    return QStringLiteral("Program the %1 frequencies found into bank %2 (channels %3 to %4) of the scanner?\r\n"
                          "Everything bank %2 holds now is replaced; it is kept first in a safety backup set.")
        .arg(count)
        .arg(bank)
        .arg(first)
        .arg(first + SearchResultsSet::kChannels - 1);
}

void ScanFoundFreqs::start(const QList<TransmitterRow>& rows) {
    m_rows = rows;
    if (m_rows.isEmpty()) {
        end(false);
        return;
    }
    QPointer self(this);
    m_prompter.askText(
        m_title,
        QStringLiteral("Program the %1 frequencies found into which bank (1 to %2)?").arg(m_rows.size()).arg(m_banks),
        QStringLiteral("1"), [self](const std::optional<QString>& answer) {
            if (self)
                self->onBank(answer);
        });
}

void ScanFoundFreqs::onBank(const std::optional<QString>& answer) {
    if (!answer) {
        end(false);
        return;
    }
    bool ok = false;
    const int bank = answer->trimmed().toInt(&ok);
    if (!ok || bank < 1 || bank > m_banks) {
        m_prompter.inform(m_title,
                          QStringLiteral("\"%1\" is not a bank of the scanner (1 to %2). Nothing was programmed.")
                              .arg(answer->trimmed())
                              .arg(m_banks),
                          Prompter::Icon::Warning, [self = QPointer(this)] {
                              if (self)
                                  self->end(false);
                          });
        return;
    }
    QPointer self(this);
    m_prompter.confirm(m_title, confirmText(int(m_rows.size()), bank), Prompter::Icon::Question,
                       [self, bank](bool yes) {
                           if (!self)
                               return;
                           if (yes)
                               self->onConfirmed(bank);
                           else
                               self->end(false);
                       });
}

void ScanFoundFreqs::onConfirmed(int bank) {
    const QDateTime now(m_ctx.clock.date(), m_ctx.clock.timeOfDay());
    // A set of its own, so rows saved earlier under the default name never stand in for these.
    m_setName = SearchResultsSet::defaultName(m_rows) + now.toString(QStringLiteral(" 'scan' yyyy-MM-dd hh:mm:ss"));
    BackupSets sets(m_ctx.database);
    if (!SearchResultsSet::save(sets, m_setName, m_rows)) {
        m_prompter.inform(m_title,
                          QStringLiteral("The frequencies could not be stored in %1. Nothing was programmed.")
                              .arg(m_ctx.database.path()),
                          Prompter::Icon::Warning, [self = QPointer(this)] {
                              if (self)
                                  self->end(false);
                          });
        return;
    }
    m_job = new RestoreJob(m_ctx, this);
    connect(m_job, &RestoreJob::finished, this, &ScanFoundFreqs::onRestoreFinished);
    connect(m_job, &RestoreJob::replyMissing, this, [this](int channel) {
        m_prompter.confirm(m_title,
                           QStringLiteral("The scanner does not answer for channel %1.\r\nAsk again?").arg(channel),
                           Prompter::Icon::Warning, [job = QPointer(m_job)](bool again) {
                               if (!job)
                                   return;
                               if (again)
                                   job->retry();
                               else
                                   job->stop();
                           });
    });
    m_job->start(m_setName, {bank});
}

void ScanFoundFreqs::onRestoreFinished(const MemoryJobResult& result) {
    const bool programmed = result.succeeded();
    m_prompter.inform(m_title, result.message, programmed ? Prompter::Icon::Information : Prompter::Icon::Warning,
                      [self = QPointer(this), programmed] {
                          if (!self)
                              return;
                          self->m_job->handBack();
                          Q_EMIT self->finished(programmed);
                      });
}

void ScanFoundFreqs::end(bool programmed) {
    Q_EMIT finished(programmed);
}
