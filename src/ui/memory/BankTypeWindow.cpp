#include "memory/BankTypeWindow.h"

#include "memory/BankTypes.h"
#include "monitor/DisplayModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Banks 1 to 10 stand in the left column, 11 to 20 in the right.
constexpr int kRowsPerColumn = 10;
} // namespace

BankTypeWindow::BankTypeWindow(BankTypes& job, const QString& appTitle, int bankCount, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_job(job) {
    setObjectName(QStringLiteral("BankType"));
    setWindowTitle(appTitle);
    auto* frame = new QGroupBox(tr("Select a Trunked System Type for each active bank"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    for (int bank = 1; bank <= bankCount; ++bank) {
        auto* check = new QCheckBox(QString::number(bank), frame);
        check->setObjectName(DisplayModel::element(QStringLiteral("Check1"), bank));
        auto* combo = new QComboBox(frame);
        combo->setObjectName(DisplayModel::element(QStringLiteral("Combo1"), bank));
        combo->setMinimumContentsLength(24);
        auto* note = new QLabel(frame);
        note->setObjectName(DisplayModel::element(QStringLiteral("lblNote"), bank));
        note->setStyleSheet(QStringLiteral("color: #a33;"));
        const int row = ((bank - 1) % kRowsPerColumn) * 2;
        const int column = ((bank - 1) / kRowsPerColumn) * 2;
        grid->addWidget(check, row, column);
        grid->addWidget(combo, row, column + 1);
        grid->addWidget(note, row + 1, column + 1);
        m_checks.append(check);
        m_combos.append(combo);
        m_notes.append(note);
    }
    auto* save = new QPushButton(tr("SAVE"), this);
    save->setObjectName(QStringLiteral("btnSET_TRUNK_BANKS"));
    auto* cancel = new QPushButton(tr("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(save, &QPushButton::clicked, this, &BankTypeWindow::onSave);
    connect(cancel, &QPushButton::clicked, &m_job, &BankTypes::cancel);
    connect(&m_job, &BankTypes::finished, this, &QWidget::hide);
}

void BankTypeWindow::reload() {
    m_job.load();
    for (int i = 0; i < m_checks.size(); ++i) {
        const BankTypes::Row row = m_job.rows().value(i);
        m_checks[i]->setChecked(false);
        QComboBox* combo = m_combos[i];
        combo->clear();
        for (const BankTypes::TrunkType& type : m_job.types())
            combo->addItem(type.name, type.code);
        combo->setCurrentIndex(combo->findData(row.code));
        m_notes[i]->setText(row.note);
        m_notes[i]->setVisible(!row.note.isEmpty());
    }
}

void BankTypeWindow::tickBanks(const QList<int>& banks) {
    for (int bank : banks) {
        if (bank >= 1 && bank <= m_checks.size())
            m_checks[bank - 1]->setChecked(true);
    }
}

void BankTypeWindow::onSave() {
    QMap<int, int> ticked;
    for (int i = 0; i < m_checks.size(); ++i) {
        if (m_checks[i]->isChecked())
            ticked.insert(i + 1, m_combos[i]->currentIndex() < 0 ? -1 : m_combos[i]->currentData().toInt());
    }
    m_job.save(ticked);
}

void BankTypeWindow::closeEvent(QCloseEvent* event) {
    // The close box hands the scanner back as CANCEL does, without its commands.
    m_job.close();
    QWidget::closeEvent(event);
}
