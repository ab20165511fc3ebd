#include "Simulator.h"

#include "ActivityPlayer.h"
#include "ActivityScript.h"
#include "Pro2052Model.h"

#include <QFile>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSim, "valdoria.sim")

namespace {

// A command longer than this without a CR is noise, not a command.
constexpr int kMaxCommandLength = 256;
constexpr double kLongestTimerMs = 86400000.0;

// The memory channel a read or program command names ("MA123", "PM000 ..." is 1000), or 0.
int memoryChannelOf(const QString& command) {
    if (command.size() < 5 || !(command.startsWith(QLatin1String("MA")) || command.startsWith(QLatin1String("PM"))))
        return 0;
    bool ok = false;
    const int number = command.mid(2, 3).toInt(&ok);
    return !ok ? 0 : number == 0 ? 1000 : number;
}

} // namespace

Simulator::Simulator(QObject* parent)
    : Simulator(std::make_unique<Pro2052Model>(), parent) {
    QString error;
    loadScript(ActivityScript::defaultScript(), &error);
}

Simulator::Simulator(std::unique_ptr<SimulatedScanner> model, QObject* parent)
    : QObject(parent)
    , m_model(std::move(model))
    , m_player(new ActivityPlayer(*m_model, this)) {
    m_silenceTimer.setSingleShot(true);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] { m_silent = false; });
    connect(m_player, &ActivityPlayer::report, this, &Simulator::send);
    connect(m_player, &ActivityPlayer::faultRequested, this, &Simulator::injectFault);
    connect(m_player, &ActivityPlayer::note, this, &Simulator::note);
}

Simulator::~Simulator() {
    // The player refers to the model: it must go first.
    delete m_player;
}

std::unique_ptr<SimulatedScanner> Simulator::createModel(const QString& name) {
    if (name.compare(QLatin1String("pro2052"), Qt::CaseInsensitive) == 0)
        return std::make_unique<Pro2052Model>();
    return nullptr;
}

QStringList Simulator::modelNames() {
    return {QStringLiteral("pro2052")};
}

bool Simulator::loadScript(const QString& text, QString* error) {
    ActivityScript script;
    if (!script.parse(text, error))
        return false;
    for (const ActivityScript::SetupLine& line : script.setup()) {
        QString why;
        if (!m_model->configure(line.words, &why)) {
            *error = QStringLiteral("line %1: %2").arg(line.line).arg(why);
            return false;
        }
    }
    m_player->setEvents(script.events(), script.repeat());
    return true;
}

bool Simulator::loadScriptFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (!loadScript(QString::fromUtf8(file.readAll()), error)) {
        *error = path + QStringLiteral(", ") + *error;
        return false;
    }
    return true;
}

void Simulator::setTimeScale(double scale) {
    m_player->setTimeScale(scale > 0.0 ? scale : 1.0);
}

void Simulator::startActivity() {
    m_player->start();
}

void Simulator::stopActivity() {
    m_player->stop();
}

bool Simulator::activityRunning() const {
    return m_player->isRunning();
}

void Simulator::receive(const QByteArray& bytes) {
    m_pending += bytes;
    for (qsizetype cr = m_pending.indexOf('\r'); cr >= 0; cr = m_pending.indexOf('\r')) {
        QByteArray raw = m_pending.left(cr);
        m_pending.remove(0, cr + 1);
        // A terminal may send CR LF; the LF belongs to no command.
        raw.replace('\n', QByteArray());
        if (raw.isEmpty())
            continue;
        const QString command = QString::fromLatin1(raw);
        Q_EMIT commandReceived(command);
        if (m_silentFrom > 0 && !m_silent && memoryChannelOf(command) >= m_silentFrom) {
            m_silent = true;
            Q_EMIT note(QStringLiteral("fault: silent from channel %1 on").arg(m_silentFrom));
        }
        if (m_silent) {
            Q_EMIT lineLost(command, QStringLiteral("silence"));
            continue;
        }
        send(m_model->answer(command));
    }
    if (m_pending.size() > kMaxCommandLength) {
        m_pending.clear();
        send({QStringLiteral("NG")});
    }
}

void Simulator::send(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        if (m_silent) {
            Q_EMIT lineLost(line, QStringLiteral("silence"));
            continue;
        }
        if (m_dropNext > 0) {
            --m_dropNext;
            Q_EMIT lineLost(line, QStringLiteral("dropped"));
            continue;
        }
        Q_EMIT lineSent(line);
        out += line.toLatin1() + '\r';
    }
    if (!out.isEmpty())
        Q_EMIT output(out);
}

QByteArray Simulator::garbage() {
    static const char noise[] = {'\x8f', '\xff', '#', '\x00', '\x13', '\xa5', '~', '\x7f', '\xc3', '\x01', '\r'};
    return QByteArray(noise, sizeof(noise));
}

void Simulator::injectFault(Fault fault, double seconds) {
    switch (fault) {
    case Fault::Silence:
        m_silent = true;
        m_silenceTimer.stop();
        if (seconds > 0.0) {
            // As the player's timers: a day at most, so a long silence at a slow time scale still fits a timer.
            const double ms = std::max(1.0, seconds * 1000.0 * m_player->timeScale());
            m_silenceTimer.start(int(std::min(ms, kLongestTimerMs)));
        }
        Q_EMIT note(QStringLiteral("fault: silence"));
        break;
    case Fault::Garbage:
        Q_EMIT note(QStringLiteral("fault: garbage"));
        if (!m_silent)
            Q_EMIT output(garbage());
        break;
    case Fault::DropLine:
        Q_EMIT note(QStringLiteral("fault: the next line is dropped"));
        ++m_dropNext;
        break;
    case Fault::HangUp:
        Q_EMIT note(QStringLiteral("fault: hang-up"));
        Q_EMIT hangUp();
        break;
    }
}

void Simulator::clearFaults() {
    m_silenceTimer.stop();
    m_silent = false;
    m_dropNext = 0;
    m_silentFrom = 0;
}
