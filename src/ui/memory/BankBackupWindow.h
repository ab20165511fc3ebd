#pragma once

#include <QList>
#include <QWidget>

class BankChecks;
class QPushButton;

/// BankBackup: the banks to back up, CHECK ALL, CLEAR ALL, INVERT, BACKUP NOW and QUIT.
class BankBackupWindow : public QWidget {
    Q_OBJECT

public:
    BankBackupWindow(const QString& appTitle, int bankCount, QWidget* parent = nullptr);

    BankChecks* checks() const { return m_checks; }
    /// Ready for a new choice: QUIT usable again, the caption back to the product title.
    void reset(const QString& appTitle);

Q_SIGNALS:
    /// BACKUP NOW, with the ticked banks.
    void backupRequested(const QList<int>& banks);
    /// QUIT, or the close box before a backup started.
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    BankChecks* m_checks = nullptr;
    QPushButton* m_quit = nullptr;
};
