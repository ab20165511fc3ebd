#pragma once

#include "TransmitterRow.h"
#include "memory/MemoryJob.h"

#include <QList>
#include <QObject>
#include <QPointer>

class Prompter;
class RestoreJob;

/**
 * SCAN FREQS: programs the transmitters of a search into one bank of the scanner. Asks for the bank,
 * confirms naming it, stores the transmitters as a search set of their own and restores that set into the
 * bank, with the restore's safety backup of what the bank held and its read-back of every channel.
 */
class ScanFoundFreqs : public QObject {
    Q_OBJECT

public:
    /// banks: how many banks the scanner has (20 on the PRO-2052, 10 on the BC780XLT).
    ScanFoundFreqs(const MemoryJobContext& context, Prompter& prompter, const QString& appTitle, int banks,
                   QObject* parent = nullptr);
    ~ScanFoundFreqs() override;

    void start(const QList<TransmitterRow>& rows);

    static QString confirmText(int count, int bank);
    /// The set the transmitters are stored in for the restore: the default name with the time.
    QString setName() const { return m_setName; }

Q_SIGNALS:
    /// The scan is over (succeeded, not started, or the restore ended otherwise); the scanner is handed back.
    void finished(bool programmed);

private:
    void onBank(const std::optional<QString>& answer);
    void onConfirmed(int bank);
    void onRestoreFinished(const MemoryJobResult& result);
    void end(bool programmed);

    MemoryJobContext m_ctx;
    Prompter& m_prompter;
    QString m_title;
    int m_banks;
    QList<TransmitterRow> m_rows;
    QString m_setName;
    RestoreJob* m_job = nullptr;
};
