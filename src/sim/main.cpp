// valdoria-sim: a simulated scanner on a pseudo-terminal, for trying the program without a radio.
#include "ActivityScript.h"
#include "Pro2052Model.h"
#include "PtyHost.h"
#include "SimulatedScanner.h"
#include "Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Only async-signal-safe calls here: the event loop picks the byte up.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the pseudo-terminal is closed on the way out.
bool quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

QString printable(const QString& line) {
    QString out;
    for (const QChar c : line)
        out += c.unicode() >= 32 && c.unicode() < 127
                   ? QString(c)
                   : QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("valdoria-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VALDORIA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated scanner on a pseudo-terminal. The first line printed is the device to give to "
                       "valdoria --port."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption modelOption(
        QStringLiteral("model"),
        QStringLiteral("Scanner model to simulate (%1).").arg(Simulator::modelNames().join(QStringLiteral(", "))),
        QStringLiteral("model"), QStringLiteral("pro2052"));
    const QCommandLineOption scriptOption(QStringLiteral("script"),
                                          QStringLiteral("Activity script to load instead of the built-in one."),
                                          QStringLiteral("file"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Do not log commands and replies."));
    const QCommandLineOption noActivityOption(QStringLiteral("no-activity"),
                                              QStringLiteral("Answer commands only; play no activity."));
    const QCommandLineOption timeScaleOption(QStringLiteral("time-scale"),
                                             QStringLiteral("Real seconds per script second (default 1)."),
                                             QStringLiteral("factor"), QStringLiteral("1"));
    const QCommandLineOption lineRateOption(
        QStringLiteral("line-rate"),
        QStringLiteral("Pace the line to this many baud, 8N1, both ways (default: unpaced)."), QStringLiteral("baud"),
        QStringLiteral("0"));
    const QCommandLineOption replyDelayOption(QStringLiteral("reply-delay"),
                                              QStringLiteral("Milliseconds the scanner waits before each answer."),
                                              QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption silentFromOption(
        QStringLiteral("silent-from"),
        QStringLiteral("Fall silent at the first memory command for this channel or a higher one."),
        QStringLiteral("channel"), QStringLiteral("0"));
    const QCommandLineOption refuseOption(QStringLiteral("refuse-channel"),
                                          QStringLiteral("A memory channel that refuses every frequency (answers NG)."),
                                          QStringLiteral("channel"), QStringLiteral("0"));
    parser.addOptions({modelOption, scriptOption, quietOption, noActivityOption, timeScaleOption, lineRateOption,
                       replyDelayOption, silentFromOption, refuseOption});
    parser.process(app);

    QTextStream err(stderr);
    auto model = Simulator::createModel(parser.value(modelOption));
    if (!model) {
        err << "valdoria-sim: unknown model \"" << parser.value(modelOption)
            << "\"; known: " << Simulator::modelNames().join(QStringLiteral(", ")) << Qt::endl;
        return 2;
    }
    bool scaleOk = false;
    const double timeScale = parser.value(timeScaleOption).toDouble(&scaleOk);
    if (!scaleOk || timeScale <= 0.0) {
        err << "valdoria-sim: --time-scale needs a number above 0" << Qt::endl;
        return 2;
    }

    // A model of its own starts with an empty memory; the built-in script fills it.
    Simulator simulator(std::move(model));
    QString error;
    const bool loaded = parser.isSet(scriptOption) ? simulator.loadScriptFile(parser.value(scriptOption), &error)
                                                   : simulator.loadScript(ActivityScript::defaultScript(), &error);
    if (!loaded) {
        err << "valdoria-sim: " << error << Qt::endl;
        return 2;
    }
    simulator.setTimeScale(timeScale);
    simulator.setSilentFromChannel(parser.value(silentFromOption).toInt());
    if (const int refused = parser.value(refuseOption).toInt(); refused > 0) {
        auto* pro2052 = dynamic_cast<Pro2052Model*>(&simulator.model());
        if (!pro2052) {
            err << "valdoria-sim: --refuse-channel needs the pro2052 model" << Qt::endl;
            return 2;
        }
        pro2052->setRefusedChannel(refused);
    }

    if (!parser.isSet(quietOption)) {
        QObject::connect(&simulator, &Simulator::commandReceived, &app,
                         [&err](const QString& command) { err << "<< " << printable(command) << Qt::endl; });
        QObject::connect(&simulator, &Simulator::lineSent, &app,
                         [&err](const QString& line) { err << ">> " << printable(line) << Qt::endl; });
        QObject::connect(&simulator, &Simulator::lineLost, &app, [&err](const QString& line, const QString& why) {
            err << "xx " << printable(line) << " (" << why << ")" << Qt::endl;
        });
        QObject::connect(&simulator, &Simulator::note, &app,
                         [&err](const QString& text) { err << "-- " << text << Qt::endl; });
    }

    PtyHost host(&simulator);
    host.setLineRate(parser.value(lineRateOption).toInt());
    host.setReplyDelay(parser.value(replyDelayOption).toDouble());
    if (!host.open()) {
        err << "valdoria-sim: " << host.errorText() << Qt::endl;
        return 1;
    }
    int exitCode = 0;
    QObject::connect(&host, &PtyHost::hungUp, &app, [&app, &err, &exitCode] {
        err << "valdoria-sim: the line was hung up" << Qt::endl;
        exitCode = 3;
        app.quit();
    });
    if (!quitOnSignals(app)) {
        err << "valdoria-sim: cannot catch SIGINT and SIGTERM" << Qt::endl;
        return 1;
    }

    std::fputs(qPrintable(host.devicePath() + QLatin1Char('\n')), stdout);
    std::fflush(stdout);

    if (!parser.isSet(noActivityOption))
        simulator.startActivity();
    app.exec();
    simulator.stopActivity();
    host.close();
    return exitCode;
}
