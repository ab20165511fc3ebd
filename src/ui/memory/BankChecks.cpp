#include "memory/BankChecks.h"

#include "monitor/DisplayModel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
constexpr int kPerColumn = 5;
constexpr int kColumns = 4;
} // namespace

BankChecks::BankChecks(int bankCount, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    // Fewer banks than columns can hold stand centred: ten banks take the middle two columns.
    const int usedColumns = (bankCount + kPerColumn - 1) / kPerColumn;
    const int firstColumn = (kColumns - usedColumns) / 2;
    for (int column = 0; column < kColumns; ++column)
        grid->setColumnMinimumWidth(column, 48);
    for (int bank = 1; bank <= bankCount; ++bank) {
        auto* box = new QCheckBox(QString::number(bank), this);
        box->setObjectName(DisplayModel::element(QStringLiteral("Check1"), bank));
        grid->addWidget(box, (bank - 1) % kPerColumn, firstColumn + (bank - 1) / kPerColumn);
        connect(box, &QCheckBox::toggled, this, &BankChecks::changed);
        m_boxes.append(box);
    }

    auto* buttons = new QHBoxLayout;
    const auto addButton = [this, buttons](const QString& text, const char* name, auto onClick) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, onClick);
    };
    addButton(tr("CHECK ALL"), "btnCheckAll", [this] { setAll(true); });
    addButton(tr("CLEAR ALL"), "btnUncheckAll", [this] { setAll(false); });
    addButton(tr("INVERT"), "btnINVERT", [this] { invert(); });
    layout->addLayout(buttons);
}

QList<int> BankChecks::ticked() const {
    QList<int> banks;
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i]->isChecked())
            banks.append(i + 1);
    }
    return banks;
}

void BankChecks::setAll(bool ticked) {
    for (QCheckBox* box : m_boxes) {
        const QSignalBlocker quiet(box);
        box->setChecked(ticked);
    }
    Q_EMIT changed();
}

void BankChecks::invert() {
    for (QCheckBox* box : m_boxes) {
        const QSignalBlocker quiet(box);
        box->setChecked(!box->isChecked());
    }
    Q_EMIT changed();
}
