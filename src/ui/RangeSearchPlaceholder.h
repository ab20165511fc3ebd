#pragma once

#include <QDialog>

/**
 * Stands in for the range-search window until it is built: says so, and hands the scanner back
 * to the faceplate when closed.
 */
class RangeSearchPlaceholder : public QDialog {
    Q_OBJECT

public:
    explicit RangeSearchPlaceholder(const QString& appTitle, QWidget* parent = nullptr);

Q_SIGNALS:
    /// The operator is done: the faceplate takes the scanner back.
    void handBack();
};
