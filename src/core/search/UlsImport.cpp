#include "UlsImport.h"

#include "TextFiles.h"
#include "TransmitterDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>

namespace {

// Field positions (1-based, as the published layouts number them).
constexpr int kId = 2;
constexpr int kCallsign = 5;
constexpr int kHdStatus = 6;
constexpr int kHdService = 7;
constexpr int kEnEntityType = 6;
constexpr int kEnName = 8;
constexpr int kEnFirst = 9;
constexpr int kEnLast = 11;
constexpr int kFrLocation = 7;
constexpr int kFrFrequency = 11;
constexpr int kLoNumber = 9;
constexpr int kLoCity = 13;
constexpr int kLoCounty = 14;
constexpr int kLoState = 15;

QString field(const QStringList& fields, int position) {
    return position <= fields.size() ? fields.at(position - 1).trimmed() : QString();
}

constexpr int kProgressEvery = 10000;

// The top of the radio spectrum (300 GHz), in MHz: no licence assigns anything above it.
constexpr double kHighestMhz = 300000.0;

} // namespace

UlsImport::UlsImport(TransmitterDatabase& db)
    : m_db(db) {}

QString UlsImport::serviceEntry(const QString& code) {
    static const QHash<QString, QString> descriptions{
        {QStringLiteral("PW"), QStringLiteral("Public Safety Pool, Conventional")},
        {QStringLiteral("YW"), QStringLiteral("Public Safety Pool, Trunked")},
        {QStringLiteral("IG"), QStringLiteral("Industrial/Business Pool, Conventional")},
        {QStringLiteral("YG"), QStringLiteral("Industrial/Business Pool, Trunked")},
        {QStringLiteral("IK"), QStringLiteral("Industrial/Business Pool - Commercial, Conventional")},
        {QStringLiteral("YK"), QStringLiteral("Industrial/Business Pool - Commercial, Trunked")},
        {QStringLiteral("SG"), QStringLiteral("Conventional Public Safety 700 MHz")},
        {QStringLiteral("SY"), QStringLiteral("Trunked Public Safety 700 MHz")},
        {QStringLiteral("ZA"), QStringLiteral("General Mobile Radio (GMRS)")},
        {QStringLiteral("RP"), QStringLiteral("Broadcast Auxiliary Remote Pickup")},
        {QStringLiteral("CD"), QStringLiteral("Paging and Radiotelephone")},
        {QStringLiteral("MC"), QStringLiteral("Coastal Group")},
        {QStringLiteral("AF"), QStringLiteral("Aeronautical and Fixed")},
    };
    const QString description = descriptions.value(code);
    return description.isEmpty() ? code : code + QLatin1Char(' ') + description;
}

void UlsImport::say(const QString& text) const {
    if (m_progress)
        m_progress(text);
}

QList<UlsImport::FileReport> UlsImport::run(const QStringList& files) {
    QList<FileReport> reports;
    QList<QList<Frequency>> frequencies;
    QList<QSet<qint64>> ended;
    for (const QString& path : files) {
        reports.append(FileReport{});
        reports.last().file = path;
        frequencies.append(QList<Frequency>{});
        ended.append(QSet<qint64>{});
        readFile(path, reports.last(), frequencies.last(), ended.last());
    }
    if (!m_db.createTables()) {
        for (FileReport& r : reports) {
            r.ok = false;
            r.error = m_db.error();
        }
        return reports;
    }
    for (int i = 0; i < reports.size(); ++i) {
        if (!reports[i].ok)
            continue;
        say(QStringLiteral("%1: writing").arg(QFileInfo(reports[i].file).fileName()));
        if (!writeFile(frequencies[i], ended[i], reports[i]))
            break;
    }
    return reports;
}

bool UlsImport::readFile(const QString& path, FileReport& report, QList<Frequency>& frequencies, QSet<qint64>& ended) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report.ok = false;
        report.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    const auto malformed = [&report] {
        if (report.malformed++ == 0)
            report.firstMalformedLine = report.lines;
    };
    // Read a piece at a time: a file without line ends is never held whole, and an overlong line is skipped.
    TextFiles::LineReader reader(file);
    QByteArrayView bytes;
    for (TextFiles::LineReader::Status status = reader.next(&bytes); status != TextFiles::LineReader::Status::End;
         status = reader.next(&bytes)) {
        report.lines = reader.lineNumber();
        if (report.lines % kProgressEvery == 0)
            say(QStringLiteral("%1: %2 lines read").arg(name).arg(report.lines));
        if (status == TextFiles::LineReader::Status::TooLong) {
            malformed();
            continue;
        }
        if (bytes.trimmed().isEmpty())
            continue;
        // The files are plain ASCII in the main; a name in another encoding is read as Latin-1.
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString line = utf8.decode(bytes);
        if (utf8.hasError())
            line = QString::fromLatin1(bytes);
        if (!parseLine(line.split(QLatin1Char('|')), frequencies, ended))
            malformed();
    }
    if (file.error() != QFileDevice::NoError) {
        report.ok = false;
        report.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool UlsImport::parseLine(const QStringList& fields, QList<Frequency>& frequencies, QSet<qint64>& ended) {
    const QString type = fields.first();
    const auto needs = [&](int count) { return fields.size() >= count; };
    bool idOk = false;
    const qint64 id = field(fields, kId).toLongLong(&idOk);
    if (type == QLatin1String("HD")) {
        const QString service = field(fields, kHdService).toUpper();
        if (!needs(kHdService) || !idOk || service.size() != 2 || !service.at(0).isLetterOrNumber() ||
            !service.at(1).isLetterOrNumber())
            return false;
        Licence licence{field(fields, kCallsign), service, field(fields, kHdStatus) == QLatin1String("A")};
        if (!licence.active)
            ended.insert(id);
        m_licences.insert(id, licence);
    } else if (type == QLatin1String("EN")) {
        if (!needs(kEnName) || !idOk)
            return false;
        // A licence lists several entities (contact, owner); the licensee names the transmitter.
        const bool licensee = field(fields, kEnEntityType) == QLatin1String("L");
        if (m_namedByLicensee.contains(id) && !licensee)
            return true;
        QString name = field(fields, kEnName);
        if (name.isEmpty())
            name = (field(fields, kEnFirst) + QLatin1Char(' ') + field(fields, kEnLast)).trimmed();
        if (licensee)
            m_namedByLicensee.insert(id);
        if (!name.isEmpty() || licensee)
            m_names.insert(id, name);
    } else if (type == QLatin1String("LO")) {
        bool numberOk = false;
        const int number = field(fields, kLoNumber).toInt(&numberOk);
        if (!needs(kLoState) || !idOk || !numberOk)
            return false;
        m_locations.insert({id, number}, {field(fields, kLoCity).toUpper(), field(fields, kLoCounty).toUpper(),
                                          field(fields, kLoState).toUpper()});
        if (!m_firstLocation.contains(id))
            m_firstLocation.insert(id, number);
    } else if (type == QLatin1String("FR")) {
        bool mhzOk = false;
        const double mhz = field(fields, kFrFrequency).toDouble(&mhzOk);
        // "inf", "nan" and "1e308" read as numbers, but no transmitter sends on them.
        if (!needs(kFrFrequency) || !idOk || !mhzOk || !(mhz > 0 && mhz <= kHighestMhz))
            return false;
        const QString location = field(fields, kFrLocation);
        bool locationOk = false;
        const int number = location.toInt(&locationOk);
        if (!location.isEmpty() && !locationOk)
            return false;
        frequencies.append({id, locationOk ? number : -1, mhz, field(fields, kCallsign)});
    } else if (type.size() != 2 || !type.at(0).isLetterOrNumber() || !type.at(1).isLetterOrNumber()) {
        // Records of other kinds (antennas, emissions, ...) are skipped; a line that is no record is not.
        return false;
    }
    return true;
}

bool UlsImport::writeFile(const QList<Frequency>& frequencies, const QSet<qint64>& ended, FileReport& report) {
    QSqlDatabase db = m_db.database();
    const auto fail = [&](const QSqlQuery& q) {
        report.ok = false;
        report.error = m_db.url().scrub(
            QStringLiteral("cannot write to %1: %2").arg(m_db.url().displayName(), q.lastError().text()));
        db.rollback();
        return false;
    };
    QSqlQuery codes(db);
    codes.setForwardOnly(true);
    if (!codes.exec(QStringLiteral("SELECT RSCODE FROM RS_CODES")))
        return fail(codes);
    QSet<QString> known;
    while (codes.next())
        known.insert(codes.value(0).toString().left(2));
    codes.finish();

    if (!db.transaction()) {
        report.ok = false;
        report.error = m_db.url().scrub(db.lastError().text());
        return false;
    }
    QSet<qint64> replaced = ended;
    for (const Frequency& f : frequencies)
        replaced.insert(f.licence);
    report.licences = int(replaced.size());
    QVariantList ids;
    for (const qint64 id : std::as_const(replaced))
        ids.append(id);
    if (!runChunked(db, QStringLiteral("DELETE FROM SPECTRUM1 WHERE ULS_ID IN (%1)"), QStringLiteral("?"), 1, ids,
                    report))
        return false;

    QVariantList values;
    QSet<QString> written;
    QSet<QString> services;
    for (const Frequency& f : frequencies) {
        const auto licence = m_licences.constFind(f.licence);
        if (licence == m_licences.constEnd() || !licence->active)
            continue;
        const int number = f.location >= 0 ? f.location : m_firstLocation.value(f.licence, -1);
        const Location place = m_locations.value({f.licence, number});
        // Several antennas at one site carry the same frequency: one transmitter.
        const QString key = QStringLiteral("%1|%2|%3").arg(f.licence).arg(number).arg(f.mhz, 0, 'f', 8);
        if (written.contains(key))
            continue;
        written.insert(key);
        const auto text = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
        const QString callsign = licence->callsign.isEmpty() ? f.callsign : licence->callsign;
        values << f.mhz << text(callsign) << licence->service << text(m_names.value(f.licence)) << text(place.city)
               << text(place.county) << text(place.state) << f.licence;
        services.insert(licence->service);
    }
    if (!runChunked(db,
                    QStringLiteral("INSERT INTO SPECTRUM1 (FREQUENCY, CALLSIGN, RADIO_SERV, DBA_NAME, XMIT_CITY, "
                                   "XMIT_COUNT, XMIT_STATE, ULS_ID) VALUES %1"),
                    QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)"), 8, values, report))
        return false;
    report.rows = int(values.size() / 8);
    QSqlQuery addCode(db);
    if (!addCode.prepare(QStringLiteral("INSERT INTO RS_CODES (RSCODE) VALUES (?)")))
        return fail(addCode);
    for (const QString& code : std::as_const(services)) {
        if (known.contains(code))
            continue;
        addCode.bindValue(0, serviceEntry(code));
        if (!addCode.exec())
            return fail(addCode);
    }
    if (!db.commit())
        return fail(addCode);
    return true;
}

bool UlsImport::runChunked(QSqlDatabase& db, const QString& pattern, const QString& group, int perGroup,
                           const QVariantList& values, FileReport& report) {
    // Many rows a statement: a server then answers a few hundred statements, not one per row.
    const qsizetype perStatement = qsizetype(kGroupsPerStatement) * perGroup;
    QSqlQuery query(db);
    qsizetype preparedFor = 0;
    for (qsizetype at = 0; at < values.size(); at += perStatement) {
        const qsizetype count = qMin(perStatement, values.size() - at);
        if (count != preparedFor) {
            QStringList groups(count / perGroup, group);
            if (!query.prepare(pattern.arg(groups.join(QStringLiteral(", ")))))
                break;
            preparedFor = count;
        }
        for (qsizetype i = 0; i < count; ++i)
            query.bindValue(int(i), values.at(at + i));
        if (!query.exec())
            break;
        if (at + count >= values.size())
            return true;
    }
    if (values.isEmpty())
        return true;
    report.ok = false;
    report.error = m_db.url().scrub(
        QStringLiteral("cannot write to %1: %2").arg(m_db.url().displayName(), query.lastError().text()));
    db.rollback();
    return false;
}
