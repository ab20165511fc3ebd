#include "TransmitterQuery.h"

#include <QThread>

#include <memory>

TransmitterQuery::TransmitterQuery(QObject* parent)
    : QObject(parent) {}

TransmitterQuery::~TransmitterQuery() {
    cancel();
}

void TransmitterQuery::run(std::function<Answer()> work, std::function<void(const Answer&)> deliver) {
    cancel();
    auto answer = std::make_shared<Answer>();
    QThread* thread = QThread::create([work = std::move(work), answer] { *answer = work(); });
    m_thread = thread;
    // finished comes from the worker thread; the answer is taken on this object's thread, unless cancelled.
    connect(thread, &QThread::finished, this, [this, thread, answer, deliver = std::move(deliver)] {
        if (m_thread != thread)
            return;
        m_thread = nullptr;
        if (answer->ok)
            deliver(*answer);
        else
            Q_EMIT failed(answer->error);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void TransmitterQuery::loadServiceCodes(const RemoteDbUrl& url) {
    run(
        [url] {
            TransmitterDatabase db(url);
            Answer a;
            if (const auto entries = db.serviceCodes()) {
                a.ok = true;
                a.entries = *entries;
            }
            a.error = db.error();
            return a;
        },
        [this](const Answer& a) { Q_EMIT serviceCodesLoaded(a.entries); });
}

void TransmitterQuery::search(const RemoteDbUrl& url, const SearchCriteria& criteria) {
    run(
        [url, criteria] {
            TransmitterDatabase db(url);
            Answer a;
            if (const auto rows = db.search(criteria)) {
                a.ok = true;
                a.rows = *rows;
            }
            a.error = db.error();
            return a;
        },
        [this](const Answer& a) { Q_EMIT searchFinished(a.rows); });
}

void TransmitterQuery::countTransmitters(const RemoteDbUrl& url) {
    run(
        [url] {
            TransmitterDatabase db(url);
            Answer a;
            if (const auto count = db.countTransmitters()) {
                a.ok = true;
                a.count = *count;
            }
            a.error = db.error();
            return a;
        },
        [this](const Answer& a) { Q_EMIT counted(a.count); });
}

void TransmitterQuery::cancel() {
    if (!m_thread)
        return;
    disconnect(m_thread, &QThread::finished, this, nullptr);
    m_thread = nullptr;
}
