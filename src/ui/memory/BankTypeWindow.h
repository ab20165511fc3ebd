#pragma once

#include <QList>
#include <QWidget>

class BankTypes;
class QCheckBox;
class QComboBox;
class QLabel;

/**
 * BankType: a row per bank of the scanner (a tick box with the bank's number, the list of trunked
 * system types and a note when the stored type selects nothing), SAVE and CANCEL. It renders
 * BankTypes and hands it the clicks.
 */
class BankTypeWindow : public QWidget {
    Q_OBJECT

public:
    BankTypeWindow(BankTypes& job, const QString& appTitle, int bankCount, QWidget* parent = nullptr);

    /// The window's load: reads the stored types and shows them with every box clear.
    void reload();
    /// Ticks these banks (the restore brought trunked channels into them).
    void tickBanks(const QList<int>& banks);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void onSave();

    BankTypes& m_job;
    QList<QCheckBox*> m_checks;
    QList<QComboBox*> m_combos;
    QList<QLabel*> m_notes;
};
