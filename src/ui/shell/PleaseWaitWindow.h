#pragma once

#include <QDialog>

/**
 * frmPleaseWait: "PLEASE WAIT..." with a moving bar while the transmitter database works, and a Cancel
 * button that lets go of the request.
 */
class PleaseWaitWindow : public QDialog {
    Q_OBJECT

public:
    explicit PleaseWaitWindow(const QString& appTitle, QWidget* parent = nullptr);

Q_SIGNALS:
    void cancelRequested();
};
