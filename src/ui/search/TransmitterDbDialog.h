#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class Settings;
class TransmitterQuery;

/**
 * Config / Transmitter Database: where the online search looks. The kinds are choices: the built-in
 * sample, an SQLite file, a PostgreSQL server, an ODBC data source, each with its own fields (a password
 * never shows). Test connects and says how many transmitters it sees; OK refuses what cannot work. The
 * choice is stored as the Remote_Db URL (empty for the sample).
 */
class TransmitterDbDialog : public QDialog {
    Q_OBJECT

public:
    enum Kind { Sample, SqliteFile, Postgres, Odbc };

    explicit TransmitterDbDialog(Settings& settings, QWidget* parent = nullptr);
    ~TransmitterDbDialog() override;

    /// The Remote_Db text the fields make, or empty with *why set when they cannot make one.
    QString chosenUrl(QString* why = nullptr) const;

    void accept() override;

private:
    void load(const QString& stored);
    void onTest();
    void browse();

    Settings& m_settings;
    QComboBox* m_kind = nullptr;
    QStackedWidget* m_pages = nullptr;
    QLineEdit* m_file = nullptr;
    QLineEdit* m_host = nullptr;
    QSpinBox* m_port = nullptr;
    QLineEdit* m_database = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_source = nullptr;
    QLineEdit* m_odbcUser = nullptr;
    QLineEdit* m_odbcPassword = nullptr;
    QPushButton* m_test = nullptr;
    QLabel* m_result = nullptr;
    QLabel* m_problem = nullptr;
    TransmitterQuery* m_query = nullptr;
};
