#include "memory/NameEditorWindow.h"

#include "monitor/DisplayModel.h"
#include "store/TalkgroupCsv.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int kBankButtonsPerRow = 10;
} // namespace

NameEditorWindow::NameEditorWindow(NameTableModel::Kind kind, LocalDatabase& db, Clock& clock, const QString& appTitle,
                                   int bankCount, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_db(db)
    , m_model(kind, db, clock)
    , m_appTitle(appTitle) {
    const bool banks = kind == NameTableModel::Kind::Bank;
    setObjectName(banks ? QStringLiteral("frmEditBank2") : QStringLiteral("frmEditTrunkID"));
    setWindowTitle(appTitle);
    auto* layout = new QVBoxLayout(this);

    if (banks) {
        auto* frame = new QGroupBox(tr("Select a bank to view"), this);
        frame->setObjectName(QStringLiteral("Frame1"));
        auto* grid = new QGridLayout(frame);
        auto* group = new QButtonGroup(this);
        for (int bank = 1; bank <= bankCount; ++bank) {
            auto* button = new QRadioButton(QString::number(bank), frame);
            button->setObjectName(DisplayModel::element(QStringLiteral("Option1"), bank));
            group->addButton(button, bank);
            grid->addWidget(button, (bank - 1) / kBankButtonsPerRow, (bank - 1) % kBankButtonsPerRow);
            m_banks.append(button);
        }
        connect(group, &QButtonGroup::idClicked, this, &NameEditorWindow::onBankChosen);
        layout->addWidget(frame);
    }

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("lblHeading"));
    m_grid = new QTableView(this);
    m_grid->setObjectName(banks ? QStringLiteral("grdChannelBanks") : QStringLiteral("SSDBGrid1"));
    m_grid->setModel(&m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumSize(640, 360);
    layout->addWidget(m_heading);
    layout->addWidget(m_grid, 1);

    auto* add = new QPushButton(tr("Add row"), this);
    add->setObjectName(QStringLiteral("btnAddRow"));
    auto* remove = new QPushButton(tr("Delete row"), this);
    remove->setObjectName(QStringLiteral("btnDeleteRow"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    if (!banks) {
        auto* import = new QPushButton(tr("Import..."), this);
        import->setObjectName(QStringLiteral("btnImport"));
        import->setToolTip(tr("Add or update talkgroups from a RadioReference CSV file"));
        auto* exportButton = new QPushButton(tr("Export..."), this);
        exportButton->setObjectName(QStringLiteral("btnExport"));
        exportButton->setToolTip(tr("Write the talkgroups to a RadioReference CSV file"));
        buttons->addWidget(import);
        buttons->addWidget(exportButton);
        connect(import, &QPushButton::clicked, this, [this] { chooseFile(QFileDialog::AcceptOpen); });
        connect(exportButton, &QPushButton::clicked, this, [this] { chooseFile(QFileDialog::AcceptSave); });
    }
    buttons->addWidget(m_status, 1);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &NameEditorWindow::onAddRow);
    connect(remove, &QPushButton::clicked, this, &NameEditorWindow::onDeleteRow);
    connect(&m_model, &NameTableModel::failed, this, &NameEditorWindow::onFailed);
    if (!banks) {
        m_heading->setText(appTitle + QStringLiteral(" - TalkGroup IDs"));
        showColumns();
    }
}

void NameEditorWindow::open() {
    m_status->clear();
    if (m_model.kind() == NameTableModel::Kind::Bank) {
        m_banks.value(0)->setChecked(true);
        onBankChosen(1);
    } else {
        m_model.select();
    }
    show();
    raise();
    activateWindow();
}

void NameEditorWindow::onBankChosen(int bank) {
    m_status->clear();
    m_model.showBank(bank);
    const QString heading = m_appTitle + QStringLiteral(" - BANK ") + QString::number(bank);
    setWindowTitle(heading);
    m_heading->setText(heading);
    showColumns();
}

void NameEditorWindow::showColumns() {
    const QList<int> shown = m_model.shownColumns();
    QHeaderView* header = m_grid->horizontalHeader();
    for (int c = 0; c < m_model.columnCount(); ++c)
        m_grid->setColumnHidden(c, !shown.contains(c));
    for (int i = 0; i < shown.size(); ++i)
        header->moveSection(header->visualIndex(shown[i]), i);
    m_grid->resizeColumnsToContents();
}

void NameEditorWindow::onAddRow() {
    const int row = m_model.addRow();
    if (row < 0)
        return;
    const QModelIndex first = m_model.index(row, m_model.shownColumns().value(0));
    m_grid->setCurrentIndex(first);
    m_grid->scrollTo(first);
    m_grid->edit(first);
}

void NameEditorWindow::onDeleteRow() {
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid())
        m_model.deleteRow(current.row());
}

void NameEditorWindow::onFailed(const QString& reason) {
    m_status->setText(tr("Not stored: %1").arg(reason));
}

void NameEditorWindow::chooseFile(QFileDialog::AcceptMode mode) {
    const bool opening = mode == QFileDialog::AcceptOpen;
    auto* dialog = new QFileDialog(this, opening ? tr("Import talkgroups") : tr("Export talkgroups"), QString(),
                                   tr("CSV files (*.csv);;All files (*)"));
    dialog->setAcceptMode(mode);
    dialog->setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!opening)
        dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this,
            opening ? &NameEditorWindow::importTalkgroups : &NameEditorWindow::exportTalkgroups);
    dialog->open();
}

void NameEditorWindow::importTalkgroups(const QString& path) {
    const CsvReport report = TalkgroupCsv::importTable(m_db, path);
    if (!report.ok) {
        m_status->setText(tr("Nothing imported from %1: %2").arg(QFileInfo(path).fileName(), report.error));
        return;
    }
    m_model.select();
    m_status->setText(tr("Imported %1: %2").arg(QFileInfo(path).fileName(), report.summary()));
}

void NameEditorWindow::exportTalkgroups(const QString& path) {
    const CsvReport report = TalkgroupCsv::exportTable(m_db, path);
    m_status->setText(report.ok ? tr("Exported to %1: %2").arg(QFileInfo(path).fileName(), report.summary())
                                : tr("Not exported: %1").arg(report.error));
}
