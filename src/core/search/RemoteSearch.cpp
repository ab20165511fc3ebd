#include "RemoteSearch.h"

#include "OrvFreqs.h"
#include "Prompter.h"
#include "TransmitterQuery.h"
#include "store/LocalDatabase.h"

#include <QPointer>

RemoteSearch::RemoteSearch(LocalDatabase& db, Prompter& prompter, const QString& appTitle, const RemoteDbUrl& url,
                           QObject* parent)
    : QObject(parent)
    , m_db(db)
    , m_prompter(prompter)
    , m_title(appTitle)
    , m_url(url)
    , m_query(new TransmitterQuery(this)) {
    connect(m_query, &TransmitterQuery::serviceCodesLoaded, this, [this](const QStringList& entries) {
        m_loading = false;
        setWaiting(false);
        Q_EMIT serviceCodesLoaded(entries);
    });
    connect(m_query, &TransmitterQuery::searchFinished, this, &RemoteSearch::onSearchFinished);
    connect(m_query, &TransmitterQuery::failed, this, &RemoteSearch::onFailed);
}

RemoteSearch::~RemoteSearch() = default;

const QStringList& RemoteSearch::stateCodes() {
    static const QStringList codes =
        QStringLiteral("AL AK AZ AR CA CO CT DE DC FL GA GU HI ID IL IN IA KA KY LA ME MD MA MI MN MS "
                       "MO MT NE NV NH NJ NM NY NC ND OH OK OR PW PA PR RI SC SD TN TX UT VT VA WA WV "
                       "WI WY")
            .split(QLatin1Char(' '));
    return codes;
}

QString RemoteSearch::noRecordsText() {
    return QStringLiteral("Your search didn't return any records.\r\nSearch again?");
}

QString RemoteSearch::recordsText(int count) {
    return QStringLiteral("Your search returned %1 records.\r\nWould you like to view them now?").arg(count);
}

void RemoteSearch::setWaiting(bool waiting) {
    if (m_waiting == waiting)
        return;
    m_waiting = waiting;
    Q_EMIT waitingChanged(waiting);
}

void RemoteSearch::start() {
    m_loading = true;
    setWaiting(true);
    m_query->loadServiceCodes(m_url);
}

void RemoteSearch::search(const SearchCriteria& criteria) {
    setWaiting(true);
    m_query->search(m_url, criteria.normalised());
}

void RemoteSearch::cancelWait() {
    m_query->cancel();
    setWaiting(false);
    if (m_loading) {
        m_loading = false;
        Q_EMIT finished();
    }
}

void RemoteSearch::onFailed(const QString& message) {
    setWaiting(false);
    const bool loading = m_loading;
    m_loading = false;
    // Without a service list there is nothing to search with; a failed search keeps the window and its choices.
    m_prompter.inform(m_title,
                      message + QStringLiteral("\r\nThe transmitter database is set in Config / Transmitter Database."),
                      Prompter::Icon::Warning, [self = QPointer(this), loading] {
                          if (self && loading)
                              Q_EMIT self->finished();
                      });
}

void RemoteSearch::onSearchFinished(const QList<TransmitterRow>& rows) {
    setWaiting(false);
    if (rows.isEmpty()) {
        m_prompter.askYesNo(m_title, noRecordsText(), Prompter::Icon::Question, [self = QPointer(this)](bool again) {
            if (self && !again)
                Q_EMIT self->finished();
        });
        return;
    }
    // The window may be gone by the time the operator answers.
    QPointer self(this);
    m_prompter.askYesNo(
        m_title, recordsText(int(rows.size())), Prompter::Icon::Question, [this, self, rows](bool view) {
            if (!self)
                return;
            if (!view) {
                Q_EMIT finished();
                return;
            }
            if (!OrvFreqs::replace(m_db, rows)) {
                m_prompter.inform(m_title,
                                  QStringLiteral("The transmitters found could not be stored in %1.").arg(m_db.path()),
                                  Prompter::Icon::Warning, [self] {
                                      if (self)
                                          Q_EMIT self->finished();
                                  });
                return;
            }
            Q_EMIT resultsReady(TransmitterRow::resultText(rows));
            Q_EMIT finished();
        });
}
