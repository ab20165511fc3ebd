// valdoria: the scanner control program. main() reads the command line, refuses a second
// copy and hands over to Application; everything else lives in the core and the windows.
#include "Application.h"
#include "Settings.h"
#include "Simulator.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextStream>

namespace {

const QStringList kModels{QStringLiteral("pro2052"), QStringLiteral("bc780xlt")};

// QCommandLineParser has no options with an optional value: a bare --simulate means the PRO-2052.
QStringList withSimulateValue(const QStringList& arguments) {
    QStringList out;
    for (const QString& argument : arguments)
        out << (argument == QLatin1String("--simulate") ? QStringLiteral("--simulate=pro2052") : argument);
    return out;
}

int fail(const QString& text) {
    QTextStream(stderr) << "valdoria: " << text << Qt::endl;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Valdoria"));
    QApplication::setApplicationName(QStringLiteral("Valdoria"));
    QApplication::setApplicationVersion(QStringLiteral(VALDORIA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("valdoria"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Drives a PRO-2052 or BC780XLT radio scanner over a serial cable."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Serial device of the scanner, kept for the next start."),
                                        QStringLiteral("device"));
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
                                        QStringLiteral("Folder holding Data/ and LOGS/ (default: %1).")
                                            .arg(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)),
                                        QStringLiteral("dir"));
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Scanner faceplate: pro2052 or bc780xlt (remembered)."),
                                         QStringLiteral("model"));
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"), QStringLiteral("Start a simulated scanner inside the program and connect to it."),
        QStringLiteral("model"));
    const QCommandLineOption remotePortOption(QStringLiteral("remote-port"),
                                              QStringLiteral("TCP port of the remote control (default 5757)."),
                                              QStringLiteral("n"), QStringLiteral("5757"));
    parser.addOptions({portOption, dataOption, modelOption, simulateOption, remotePortOption});
    parser.process(withSimulateValue(QApplication::arguments()));

    AppOptions options;
    options.device = parser.value(portOption);
    options.dataDir = parser.isSet(dataOption) ? parser.value(dataOption)
                                               : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // A simulated scanner gets a data folder of its own, so its demonstration names never mix
    // with the names of the real scanner's channels.
    if (parser.isSet(simulateOption) && !parser.isSet(dataOption))
        options.dataDir = QDir(options.dataDir).filePath(QStringLiteral("simulator"));
    bool portOk = false;
    const uint remotePort = parser.value(remotePortOption).toUInt(&portOk);
    if (!portOk || remotePort == 0 || remotePort > 65535)
        return fail(QStringLiteral("--remote-port needs a TCP port from 1 to 65535"));
    options.remotePort = quint16(remotePort);

    Settings stored(QStringLiteral("Valdoria2052/Pro"));
    options.model = parser.isSet(modelOption) ? parser.value(modelOption).toLower() : stored.model();
    if (!kModels.contains(options.model))
        return fail(QStringLiteral("--model is pro2052 or bc780xlt, not \"%1\"").arg(options.model));
    if (parser.isSet(simulateOption)) {
        options.simulate = true;
        options.simulateModel = parser.value(simulateOption).toLower();
        if (!Simulator::modelNames().contains(options.simulateModel))
            return fail(QStringLiteral("the simulator knows %1, not \"%2\"")
                            .arg(Simulator::modelNames().join(QStringLiteral(", ")), options.simulateModel));
        if (options.device.size())
            return fail(QStringLiteral("--port and --simulate cannot be used together"));
    }
    if (options.model == QLatin1String("bc780xlt"))
        QTextStream(stderr) << "valdoria: the BC780XLT faceplate is not available in this version yet; "
                               "showing the PRO-2052 faceplate, which shares its command set"
                            << Qt::endl;

    if (!QDir().mkpath(options.dataDir))
        return fail(QStringLiteral("cannot create the data folder %1").arg(options.dataDir));

    SingleInstance instance;
    if (!instance.tryAcquire()) {
        QMessageBox::critical(nullptr, SingleInstance::refusalTitle(), SingleInstance::refusalText());
        return 1;
    }

    Application valdoria(options);
    if (!valdoria.start())
        return 1;
    return QApplication::exec();
}
