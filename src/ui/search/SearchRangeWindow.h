#pragma once

#include <QWidget>

class Monitor;
class Prompter;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class Settings;

/**
 * frmSearchRange: the limits and dwell time of a range search. SEARCH NOW stores them and hands the
 * scanner to the monitor's searchRange(); CANCEL (or closing the window) hands it back through checkMode().
 * Limits that are not a frequency the scanner can search are stored as typed but refused with a message,
 * and nothing is sent.
 */
class SearchRangeWindow : public QWidget {
    Q_OBJECT

public:
    SearchRangeWindow(Settings& settings, Monitor& monitor, Prompter& prompter, const QString& appTitle, int holdLimit,
                      QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onSearch();
    void onCancel();

    Settings& m_settings;
    Monitor& m_monitor;
    Prompter& m_prompter;
    QString m_title;
    QLineEdit* m_low;
    QLineEdit* m_high;
    QComboBox* m_dwell;
    QCheckBox* m_logging;
    QRadioButton* m_30Seconds;
    QRadioButton* m_60Seconds;
    bool m_handedOver = false;
};
