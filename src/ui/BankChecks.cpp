#include "BankChecks.h"

#include "monitor/DisplayModel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSignalBlocker>

namespace {
constexpr int kPerColumn = 5;
constexpr int kColumns = 4;
} // namespace

BankChecks::BankChecks(int bankCount, QWidget* parent)
    : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
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
