#pragma once

#include <QWidget>

class LocalDatabase;
class PleaseWaitWindow;
class Prompter;
class QComboBox;
class QLineEdit;
class RemoteDbUrl;
class RemoteSearch;

/**
 * frmRemoteFreqs: the online frequency search. Choose a state and a service, optionally a county and a
 * city, and GET FREQS. The work is RemoteSearch's; this window shows it. It closes itself (and is deleted)
 * when the search is over or cancelled.
 */
class RemoteFreqsWindow : public QWidget {
    Q_OBJECT

public:
    RemoteFreqsWindow(LocalDatabase& db, Prompter& prompter, const QString& appTitle, const RemoteDbUrl& url,
                      QWidget* parent = nullptr);
    ~RemoteFreqsWindow() override;

    /// Loads the service list behind the waiting window, then shows this window.
    void start();
    RemoteSearch& search() { return *m_search; }

    static QString sampleText();

Q_SIGNALS:
    /// OrvFreqs holds the transmitters found; text is the whole result.
    void resultsReady(const QString& text);

private:
    void onGetFreqs();
    void onWaitingChanged(bool waiting);
    void onServiceCodesLoaded(const QStringList& entries);

    RemoteSearch* m_search;
    PleaseWaitWindow* m_wait;
    QComboBox* m_state;
    QComboBox* m_service;
    QLineEdit* m_county;
    QLineEdit* m_city;
};
