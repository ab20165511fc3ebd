#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;

/**
 * The bank boxes of the backup and restore windows, Check1(1) to Check1(n) for the scanner's n
 * banks, standing in columns of five: 1 to 5, 6 to 10, ... (the BC780XLT's ten in the middle two),
 * with CHECK ALL, CLEAR ALL and INVERT below them.
 */
class BankChecks : public QWidget {
    Q_OBJECT

public:
    BankChecks(int bankCount, QWidget* parent = nullptr);

    /// The ticked banks, in ascending order.
    QList<int> ticked() const;
    void setAll(bool ticked);
    /// Turns every box over.
    void invert();

Q_SIGNALS:
    /// A box was ticked or cleared.
    void changed();

private:
    QList<QCheckBox*> m_boxes;
};
