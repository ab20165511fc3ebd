#include "memory/BankBackupWindow.h"

#include "memory/BankChecks.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

BankBackupWindow::BankBackupWindow(const QString& appTitle, int bankCount, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("BankBackup"));
    setWindowTitle(appTitle);
    auto* text = new QLabel(tr("Select BANKS to backup to your PC"), this);
    text->setObjectName(QStringLiteral("Text21"));
    m_checks = new BankChecks(bankCount, this);
    auto* backup = new QPushButton(tr("BACKUP NOW"), this);
    backup->setObjectName(QStringLiteral("Backup"));
    m_quit = new QPushButton(tr("QUIT"), this);
    m_quit->setObjectName(QStringLiteral("Cancel"));

    auto* go = new QHBoxLayout;
    go->addStretch();
    go->addWidget(backup);
    go->addWidget(m_quit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_checks);
    layout->addLayout(go);

    connect(backup, &QPushButton::clicked, this, [this] {
        m_quit->setEnabled(false);
        Q_EMIT backupRequested(m_checks->ticked());
    });
    connect(m_quit, &QPushButton::clicked, this, &BankBackupWindow::quitRequested);
}

void BankBackupWindow::reset(const QString& appTitle) {
    setWindowTitle(appTitle);
    m_quit->setEnabled(true);
}

void BankBackupWindow::closeEvent(QCloseEvent* event) {
    // Once a backup runs the window is only hidden; the close box before that means QUIT.
    if (m_quit->isEnabled())
        Q_EMIT quitRequested();
    QWidget::closeEvent(event);
}
