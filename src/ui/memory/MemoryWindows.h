#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class BackupJob;
class BankBackupWindow;
class BankRestoreWindow;
class BankTypeWindow;
class BankTypes;
class MemoryJob;
class MemoryProgressWindow;
class NameEditorWindow;
class RestoreJob;
struct MemoryJobResult;
class Prompter;
class QWidget;
class Session;

/**
 * The faceplate's memory windows: bank types, the bank and talkgroup editors, backup and restore.
 * Opens the window of a menu entry, takes the scanner over for the windows that need it alone and
 * hands it back to the faceplate (GoBackToFacePlate) when they are done.
 */
class MemoryWindows : public QObject {
    Q_OBJECT

public:
    MemoryWindows(Session& session, Prompter& prompter, QWidget* faceplate, QObject* parent = nullptr);
    ~MemoryWindows() override;

    /// Backup Scanner to PC: the bank choice, with the scanner taken over.
    void openBackup();
    /// Restore PC to Scanner: the set and bank choice, with the scanner taken over.
    void openRestore();
    /// The bank types; takeOver: the scanner is taken over while it is open (Set Trunked Bank Type).
    void openBankTypes(bool takeOver);
    /// The bank editor (banks) or the talkgroup editor.
    void openEditor(bool banks);

    /// Banks of the scanner in use: 20 on the PRO-2052, 10 on the BC780XLT.
    int bankCount() const;

private:
    void onBackupRequested(const QList<int>& banks);
    void onRestoreRequested(const QString& set, const QList<int>& banks, bool safetyBackup);
    void onBackupFinished(const MemoryJobResult& result);
    void onRestoreFinished(const MemoryJobResult& result);
    /// The progress window shows what a job reports and hands it the clicks.
    void follow(MemoryJob& job, MemoryProgressWindow& window);
    /// The operator has seen the end of a backup or restore: both of its windows go, the job hands back.
    void closeJob(MemoryJob& job);
    /// The window has the scanner alone: the BC780XLT leaves its display mode, the monitor pauses.
    void takeOver();
    void handBack();

    Session& m_session;
    Prompter& m_prompter;
    QPointer<QWidget> m_faceplate;
    std::unique_ptr<BackupJob> m_backup;
    std::unique_ptr<RestoreJob> m_restore;
    std::unique_ptr<BankBackupWindow> m_backupWindow;
    std::unique_ptr<MemoryProgressWindow> m_backupProgress;
    std::unique_ptr<BankRestoreWindow> m_restoreWindow;
    std::unique_ptr<MemoryProgressWindow> m_restoreProgress;
    std::unique_ptr<BankTypes> m_bankTypes;
    std::unique_ptr<BankTypeWindow> m_bankTypeWindow;
    std::unique_ptr<NameEditorWindow> m_bankEditor;
    std::unique_ptr<NameEditorWindow> m_talkgroupEditor;
};
