#pragma once

#include "RemoteDbUrl.h"
#include "TransmitterDatabase.h"

#include <QObject>
#include <QString>
#include <QStringList>

class LocalDatabase;
class Prompter;
class TransmitterQuery;

/**
 * The online search of the search window, without the widgets: loads the service list, runs a search
 * off the window's thread, asks whether to view what was found, and copies the transmitters into
 * OrvFreqs for the results window. waitingChanged() shows and hides the waiting window; finished()
 * closes the search window.
 */
class RemoteSearch : public QObject {
    Q_OBJECT

public:
    RemoteSearch(LocalDatabase& db, Prompter& prompter, const QString& appTitle, const RemoteDbUrl& url,
                 QObject* parent = nullptr);
    ~RemoteSearch() override;

    /// The 54 state codes of the state list, in list order (Kansas is KA).
    static const QStringList& stateCodes();

    const RemoteDbUrl& url() const { return m_url; }
    bool isWaiting() const { return m_waiting; }

    /// Loads the service list: serviceCodesLoaded(), or a message and finished().
    void start();
    /// GET FREQS: the search with county and city in capitals.
    void search(const SearchCriteria& criteria);
    /// The waiting window's Cancel: drops the request; while loading the list the window closes.
    void cancelWait();

    static QString noRecordsText();
    static QString recordsText(int count);

Q_SIGNALS:
    void waitingChanged(bool waiting);
    void serviceCodesLoaded(const QStringList& entries);
    /// OrvFreqs holds the found transmitters; text is the whole result, one line per transmitter.
    void resultsReady(const QString& text);
    /// The search window closes.
    void finished();

private:
    void setWaiting(bool waiting);
    void onSearchFinished(const QList<TransmitterRow>& rows);
    void onFailed(const QString& message);

    LocalDatabase& m_db;
    Prompter& m_prompter;
    QString m_title;
    RemoteDbUrl m_url;
    TransmitterQuery* m_query;
    bool m_waiting = false;
    bool m_loading = false;
};
