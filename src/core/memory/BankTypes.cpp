#include "BankTypes.h"

#include "Prompter.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"
#include "store/LocalDatabase.h"

#include <QSqlRecord>

#include <algorithm>

BankTypes::BankTypes(ScannerState& state, SerialLink& link, LocalDatabase& db, Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_link(link)
    , m_db(db)
    , m_prompter(prompter) {}

bool BankTypes::load() {
    m_types.clear();
    m_rows.clear();
    m_open = true;
    const auto types = m_db.select(QStringLiteral("SELECT \"Trunk_Type\", \"TRUNK_CODE\" FROM \"TrunkTypes\""));
    const auto stored = m_db.select(QStringLiteral("SELECT \"BANK_NUM\", \"TRUNK_CODE\" FROM \"BANKTYPES\""));
    if (!types || !stored)
        return false;

    // A type sits at the place its code names; the first type read for a code keeps it.
    for (const QSqlRecord& r : *types) {
        bool ok = false;
        const int code = r.value(1).toInt(&ok);
        if (!ok || r.value(1).isNull() || code < 0 || hasType(code))
            continue;
        m_types.append({code, r.value(0).toString()});
    }
    std::stable_sort(m_types.begin(), m_types.end(),
                     [](const TrunkType& a, const TrunkType& b) { return a.code < b.code; });

    for (int bank = 1; bank <= kBanks; ++bank) {
        Row row{bank, -1, tr("no type stored for this bank")};
        const auto it = std::find_if(stored->cbegin(), stored->cend(),
                                     [bank](const QSqlRecord& r) { return r.value(0).toInt() == bank; });
        if (it != stored->cend() && !it->value(1).isNull()) {
            bool ok = false;
            const int code = it->value(1).toInt(&ok);
            if (ok && hasType(code))
                row = {bank, code, {}};
            else
                row.note = tr("stored type code %1 is not in the list").arg(it->value(1).toString());
        }
        m_rows.append(row);
    }
    return true;
}

bool BankTypes::hasType(int code) const {
    return std::any_of(m_types.cbegin(), m_types.cend(), [code](const TrunkType& t) { return t.code == code; });
}

QString BankTypes::typeName(int code) const {
    for (const TrunkType& t : m_types) {
        if (t.code == code)
            return t.name;
    }
    return {};
}

bool BankTypes::save(const QMap<int, int>& ticked) {
    // Every ticked bank needs a type before anything goes to the scanner: a half-sent set is worse than none.
    for (auto it = ticked.cbegin(); it != ticked.cend(); ++it) {
        if (it.key() < 1 || it.key() > kBanks || !hasType(it.value())) {
            m_prompter.inform(m_state.gAppTitle, tr("Choose a trunked system type for bank %1 first.").arg(it.key()),
                              Prompter::Icon::Warning);
            return false;
        }
    }
    if (m_state.gMode == ModeCode::Trunk || m_state.gMode == ModeCode::IdScan) {
        m_link.sendToScanner(Commands::key(Commands::Key::Trunk));
        m_link.sendToScanner(Commands::key(Commands::Key::Scan));
    }
    bool allStored = true;
    for (auto it = ticked.cbegin(); it != ticked.cend(); ++it) {
        m_link.sendToScanner(Commands::trunkType(it.key(), it.value()));
        allStored = storeRow(it.key(), it.value()) && allStored;
    }
    Q_EMIT saved();
    if (!allStored)
        m_prompter.inform(m_state.gAppTitle,
                          tr("The scanner was told the bank types, but the local database did not keep them all."),
                          Prompter::Icon::Warning);
    cancel();
    return true;
}

bool BankTypes::storeRow(int bank, int code) {
    const QString name = typeName(code);
    const auto existing =
        m_db.select(QStringLiteral("SELECT COUNT(*) FROM \"BANKTYPES\" WHERE \"BANK_NUM\" = ?"), {bank});
    if (!existing || existing->isEmpty())
        return false;
    // A bank whose row went missing gets one, so the choice just sent is not forgotten.
    if (existing->first().value(0).toInt() == 0)
        return m_db.insertRow(QStringLiteral("BANKTYPES"), {{QStringLiteral("BANK_NUM"), bank},
                                                            {QStringLiteral("Trunk_Type"), name},
                                                            {QStringLiteral("TRUNK_CODE"), code}});
    return m_db.exec(
        QStringLiteral("UPDATE \"BANKTYPES\" SET \"Trunk_Type\" = ?, \"TRUNK_CODE\" = ? WHERE \"BANK_NUM\" = ?"),
        {name, code, bank});
}

QList<int> BankTypes::sendStoredTypes(const QList<int>& banks) {
    const bool loaded = load();
    QMap<int, int> known;
    QList<int> untyped;
    for (int bank : banks) {
        const int code = loaded ? m_rows.value(bank - 1).code : -1;
        if (hasType(code))
            known.insert(bank, code);
        else
            untyped.append(bank);
    }
    // A save ends with the return to scanning itself.
    if (known.isEmpty() || !save(known))
        cancel();
    return untyped;
}

void BankTypes::cancel() {
    // The scanner goes back to memory channel 1 and scanning.
    m_link.sendToScanner(Commands::memoryRead(1));
    m_link.sendToScanner(Commands::key(Commands::Key::Scan));
    finish();
}

void BankTypes::close() {
    finish();
}

void BankTypes::finish() {
    if (!std::exchange(m_open, false))
        return;
    Q_EMIT finished();
}
