#pragma once

#include <QWidget>

class Monitor;
class Prompter;
class QCheckBox;
class QComboBox;
class QLineEdit;
class Settings;
class Switches;

/**
 * frmSearchRange: the limits and dwell time of a range search. SEARCH NOW stores them and hands the
 * scanner to the monitor's searchRange(); CANCEL (or closing the window) hands it back through checkMode().
 * Limits that are not a frequency the scanner can search are stored as typed but refused with a message,
 * and nothing is sent. "Enable logging of active frequencies" is the search-log switch (Logs / Enable
 * Search Log): it shows the switch and SEARCH NOW sets it.
 */
class SearchRangeWindow : public QWidget {
    Q_OBJECT

public:
    SearchRangeWindow(Settings& settings, Switches& switches, Monitor& monitor, Prompter& prompter,
                      const QString& appTitle, int holdLimit, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onSearch();
    void onCancel();

    Settings& m_settings;
    Switches& m_switches;
    Monitor& m_monitor;
    Prompter& m_prompter;
    QString m_title;
    QLineEdit* m_low;
    QLineEdit* m_high;
    QComboBox* m_dwell;
    QCheckBox* m_logging;
    bool m_handedOver = false;
};
