#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class Session;

/**
 * Config > Phone View: the phone view's address with its token, as text and as a QR code to scan, or
 * how to turn the phone view on when it is off.
 */
class PhoneViewDialog : public QDialog {
    Q_OBJECT

public:
    explicit PhoneViewDialog(Session& session, QWidget* parent = nullptr);

    /// The address shown (with the token); empty while the phone view is off.
    QString url() const;

private:
    QLineEdit* m_url = nullptr;
    QLabel* m_code = nullptr;
};
