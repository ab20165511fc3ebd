#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class Settings;

/**
 * Config / Transmitter Database: where the online search looks, as a URL (postgresql://, odbc:, sqlite:)
 * with the password in a field of its own that never shows it. Empty means the built-in sample.
 */
class TransmitterDbDialog : public QDialog {
    Q_OBJECT

public:
    explicit TransmitterDbDialog(Settings& settings, QWidget* parent = nullptr);

    void accept() override;

private:
    Settings& m_settings;
    QLineEdit* m_url;
    QLineEdit* m_password;
    QLabel* m_problem;
};
