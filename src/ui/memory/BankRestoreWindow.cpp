#include "memory/BankRestoreWindow.h"

#include "memory/BankChecks.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

BankRestoreWindow::BankRestoreWindow(const QString& appTitle, int bankCount, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("BankRestore"));
    setWindowTitle(appTitle);
    auto* text = new QLabel(tr("Select banks to restore\r\nor choose a backup set below\r\n"), this);
    text->setObjectName(QStringLiteral("Text21"));
    m_checks = new BankChecks(bankCount, this);
    m_sets = new QComboBox(this);
    m_sets->setObjectName(QStringLiteral("listBackupSet"));
    m_sets->setEditable(false);
    m_sets->setMinimumContentsLength(30);
    m_safety = new QCheckBox(tr("First back up the channels the restore overwrites (safety backup)"), this);
    m_safety->setObjectName(QStringLiteral("chkSafetyBackup"));
    m_changes = new QLabel(this);
    m_changes->setObjectName(QStringLiteral("lblChanges"));
    m_changes->setWordWrap(true);
    m_restore = new QPushButton(tr("RESTORE NOW"), this);
    m_restore->setObjectName(QStringLiteral("Restore"));
    m_quit = new QPushButton(tr("QUIT"), this);
    m_quit->setObjectName(QStringLiteral("Cancel"));

    auto* go = new QHBoxLayout;
    go->addWidget(m_changes, 1);
    go->addWidget(m_restore);
    go->addWidget(m_quit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_checks);
    layout->addWidget(m_sets);
    layout->addWidget(m_safety);
    layout->addLayout(go);

    connect(m_checks, &BankChecks::changed, this, &BankRestoreWindow::announceChoice);
    connect(m_sets, &QComboBox::activated, this, &BankRestoreWindow::onSetChosen);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        m_quit->setEnabled(false);
        Q_EMIT restoreRequested(chosenSet(), m_checks->ticked(), m_safety->isChecked());
    });
    connect(m_quit, &QPushButton::clicked, this, &BankRestoreWindow::quitRequested);
}

void BankRestoreWindow::reset(const QString& appTitle, const QStringList& sets) {
    setWindowTitle(appTitle);
    m_quit->setEnabled(true);
    m_safety->setChecked(true);
    m_sets->clear();
    for (const QString& set : sets) {
        if (!set.isEmpty() && m_sets->findText(set, Qt::MatchExactly) < 0)
            m_sets->addItem(set);
    }
    m_checks->setAll(false);
    if (m_sets->count() > 0)
        onSetChosen();
    m_restore->setEnabled(m_sets->count() > 0);
    announceChoice();
}

QString BankRestoreWindow::chosenSet() const {
    return m_sets->currentText().trimmed();
}

void BankRestoreWindow::onSetChosen() {
    m_checks->setAll(true);
    announceChoice();
}

void BankRestoreWindow::announceChoice() {
    if (chosenSet().isEmpty()) {
        showChangeCount(0);
        return;
    }
    Q_EMIT choiceChanged(chosenSet(), m_checks->ticked());
}

void BankRestoreWindow::showChangeCount(int channels, int cleared, bool everyBank) {
    if (channels < 0) {
        m_changes->clear();
        return;
    }
    QString text =
        channels == 1 ? tr("This set will change 1 channel") : tr("This set will change %1 channels").arg(channels);
    if (cleared > 0)
        text += cleared == 1 ? tr(" and clear 1") : tr(" and clear %1").arg(cleared);
    text += everyBank ? tr(", the same in each ticked bank.") : tr(".");
    m_changes->setText(text);
}

void BankRestoreWindow::closeEvent(QCloseEvent* event) {
    if (m_quit->isEnabled())
        Q_EMIT quitRequested();
    QWidget::closeEvent(event);
}
