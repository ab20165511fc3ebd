#include "ScannerLine.h"

#include "CliCommand.h"
#include "StopSignals.h"
#include "link/SerialLink.h"
#include "link/SerialTransport.h"
#include "state/ScannerProfile.h"
#include "store/LocalDatabase.h"

#include "BuiltInSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

void CliPrompter::askText(const QString&, const QString&, const QString& defaultText,
                          std::function<void(std::optional<QString>)> done) {
    done(defaultText);
}

void CliPrompter::inform(const QString&, const QString& text, Icon, std::function<void()> done) {
    Cli::say(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")));
    if (done)
        done();
}

void CliPrompter::confirm(const QString&, const QString& text, Icon, std::function<void(bool)> done) {
    Cli::say(text);
    done(false);
}

ScannerLine::ScannerLine() = default;

ScannerLine::~ScannerLine() {
    // The link goes before the simulator its transport is wired to.
    m_link.reset();
    m_simulator.reset();
}

void ScannerLine::addPortOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("port"), QStringLiteral("The scanner's serial device, e.g. /dev/ttyUSB0."),
                      QStringLiteral("device")});
    parser.addOption({QStringLiteral("speed"), QStringLiteral("Line speed in baud (default 19200)."),
                      QStringLiteral("baud"), QStringLiteral("19200")});
    QStringList models;
    for (const ScannerProfile& p : ScannerProfile::all())
        models.append(QStringLiteral("%1 (%2 banks)").arg(p.key).arg(p.banks));
    parser.addOption({QStringLiteral("model"),
                      QStringLiteral("The scanner: %1; the default %2, or the simulated one with --simulate.")
                          .arg(models.join(QStringLiteral(", ")), ScannerProfile::standard().key),
                      QStringLiteral("model")});
}

const ScannerProfile* ScannerLine::profile(const QCommandLineParser& parser, const std::optional<QString>& simulate) {
    const QString model = parser.value(QStringLiteral("model")).toLower();
    const ScannerProfile* named = model.isEmpty() ? nullptr : ScannerProfile::byKey(model);
    if (!model.isEmpty() && !named) {
        const QString models = ScannerProfile::keyList().replace(QStringLiteral(" or "), QStringLiteral(" nor "));
        Cli::say(QStringLiteral("--model: \"%1\" is neither %2").arg(model, models));
        return nullptr;
    }
    if (!simulate)
        return named ? named : &ScannerProfile::standard();
    const ScannerProfile* simulated = ScannerProfile::byKey(*simulate);
    if (!simulated) {
        Cli::say(
            QStringLiteral("--simulate: no simulated model \"%1\" (%2)").arg(*simulate, ScannerProfile::keyList()));
        return nullptr;
    }
    // The simulated scanner is the one served; a different --model would not fit it.
    if (named && named != simulated) {
        Cli::say(QStringLiteral("--model %1 does not fit the simulated %2").arg(named->key, simulated->key));
        return nullptr;
    }
    return simulated;
}

std::optional<QList<int>> ScannerLine::parseBanks(const QString& text, int last) {
    static const QRegularExpression item(QStringLiteral("^(\\d{1,2})(?:-(\\d{1,2}))?$"));
    QList<int> banks;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QRegularExpressionMatch m = item.match(part.trimmed());
        const int from = m.captured(1).toInt();
        const int to = m.hasCaptured(2) ? m.captured(2).toInt() : from;
        if (!m.hasMatch() || from < 1 || to < from || to > last) {
            Cli::say(QStringLiteral("--banks: \"%1\" is not a bank or range of banks 1 to %2").arg(part).arg(last));
            return std::nullopt;
        }
        for (int bank = from; bank <= to; ++bank) {
            if (!banks.contains(bank))
                banks.append(bank);
        }
    }
    std::sort(banks.begin(), banks.end());
    return banks;
}

std::optional<QList<int>> ScannerLine::chosenBanks(const QCommandLineParser& parser, const ScannerProfile& profile) {
    const int last = profile.banks;
    if (parser.isSet(QStringLiteral("banks")))
        return parseBanks(parser.value(QStringLiteral("banks")), last);
    QList<int> banks;
    for (int bank = 1; bank <= last; ++bank)
        banks.append(bank);
    return banks;
}

bool ScannerLine::openDatabase(const QCommandLineParser& parser, Access access) {
    const std::optional<QString> dir = Cli::dataDir(parser);
    if (!dir)
        return false;
    m_database = std::make_unique<LocalDatabase>(LocalDatabase::pathForAppFolder(*dir), m_prompter);
    // Reading needs no write access: a read-only file (or disk) still lists and exports its sets.
    if (access == Access::Read && QFileInfo::exists(m_database->path()))
        m_database->setReadOnly(true);
    if (!m_database->open()) {
        Cli::say(QStringLiteral("the local database %1 cannot be used").arg(m_database->path()));
        return false;
    }
    return true;
}

bool ScannerLine::openScanner(const QCommandLineParser& parser, const ScannerProfile& profile,
                              const std::optional<QString>& simulate) {
    bool speedOk = false;
    const int speed = parser.value(QStringLiteral("speed")).toInt(&speedOk);
    if (!speedOk || speed <= 0) {
        Cli::say(QStringLiteral("--speed: \"%1\" is not a line speed").arg(parser.value(QStringLiteral("speed"))));
        return false;
    }
    // The jobs read the scanner's channels, banks and bands from the state's model.
    m_state.gScannerModel = profile.model;
    m_link = std::make_unique<SerialLink>(m_state);
    Transport* transport = nullptr;
    if (simulate) {
        // The built-in script fills the memory with demonstration channels; its activity is not started.
        QString error;
        m_simulator = BuiltInSimulator::start(*simulate, BuiltInSimulator::Line::InProcess, &error);
        if (!m_simulator) {
            Cli::say(error);
            return false;
        }
        transport = m_simulator->newTransport();
    } else if (parser.isSet(QStringLiteral("port"))) {
        transport = new SerialTransport();
        transport->setDevice(parser.value(QStringLiteral("port")));
    } else {
        Cli::say(QStringLiteral("--port DEVICE (or --simulate) is needed"));
        return false;
    }
    transport->setBaudRate(speed);
    m_link->setTransport(transport);
    if (!m_link->openPort()) {
        Cli::say(transport->errorText());
        return false;
    }
    return true;
}

void ScannerLine::quitWhenSent(int status) {
    auto* timer = new QTimer(QCoreApplication::instance());
    auto* waited = new int(0);
    timer->setInterval(10);
    // The closing commands are still in the port's buffer; give them half a second to leave.
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, waited, status] {
        Transport* transport = m_link ? m_link->transport() : nullptr;
        if ((transport && transport->isOpen() && transport->bytesToWrite() > 0) && ++*waited < 50)
            return;
        timer->stop();
        delete waited;
        QCoreApplication::exit(status);
    });
    timer->start();
}

MemoryJobContext ScannerLine::context() {
    return MemoryJobContext{m_state, *m_link, *m_database, m_clock, nullptr};
}

void followJob(MemoryJob& job, ScannerLine& line, const QString& doing) {
    QObject::connect(&job, &MemoryJob::progress, &job, [doing](int done, int total, int secondsLeft) {
        const QString left = secondsLeft >= 0 ? QStringLiteral(", %1 s left").arg(secondsLeft) : QString();
        Cli::progress(QStringLiteral("%1: %2 of %3 channels%4").arg(doing).arg(done).arg(total).arg(left));
    });
    QObject::connect(&job, &MemoryJob::replyMissing, &job, [&job](int channel) {
        Cli::say(QStringLiteral("no answer from the scanner for channel %1").arg(channel));
        job.stop();
    });
    QObject::connect(&job, &MemoryJob::finished, &job, [&job, &line](const MemoryJobResult& result) {
        Cli::endProgress();
        // The scanner goes back to scanning whatever the outcome, as the window does when it closes.
        job.handBack();
        line.quitWhenSent(result.succeeded() ? Cli::Ok : Cli::Failed);
    });
    // Ctrl+C, kill or a closed terminal stop the job the way its Cancel does: the rows stored stay and are
    // counted, and the scanner is handed back before the program ends.
    auto* watcher = new StopSignals(&job);
    QObject::connect(watcher, &StopSignals::stopRequested, &job, [&job, doing](int signal) {
        if (!job.isRunning())
            return;
        Cli::say(QStringLiteral("%1: stopping the %2").arg(StopSignals::name(signal), doing.toLower()));
        job.cancel();
    });
}
