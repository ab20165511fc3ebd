#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class BankChecks;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

/**
 * BankRestore: the backup set (listBackupSet), the banks to restore, whether to back up the
 * channels about to be overwritten first, how many channels the restore will change, RESTORE NOW
 * and QUIT. Choosing a set ticks all the scanner's banks.
 */
class BankRestoreWindow : public QWidget {
    Q_OBJECT

public:
    BankRestoreWindow(const QString& appTitle, int bankCount, QWidget* parent = nullptr);

    /// The window's load: the sets listed once each, the first chosen, the box for the safety backup ticked.
    void reset(const QString& appTitle, const QStringList& sets);
    /**
     * What the restore will do to the scanner: "This set will change N channels", and " and clear M" for the
     * empty channels a backup holds (a negative count: not known). A search set goes into every ticked bank.
     */
    void showChangeCount(int channels, int cleared = 0, bool everyBank = false);

    BankChecks* checks() const { return m_checks; }
    QString chosenSet() const;

Q_SIGNALS:
    /// The set or the banks changed: the count of channels to change is asked for again.
    void choiceChanged(const QString& set, const QList<int>& banks);
    void restoreRequested(const QString& set, const QList<int>& banks, bool safetyBackup);
    /// QUIT, or the close box before a restore started.
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void onSetChosen();
    void announceChoice();

    BankChecks* m_checks = nullptr;
    QComboBox* m_sets = nullptr;
    QCheckBox* m_safety = nullptr;
    QLabel* m_changes = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_quit = nullptr;
};
