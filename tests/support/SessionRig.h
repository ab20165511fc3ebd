#pragma once

#include "ActivityScript.h"
#include "ScriptedPrompter.h"
#include "SimulatedScanner.h"
#include "Simulator.h"
#include "SimulatorTransport.h"
#include "session/Session.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

/**
 * A Session on the in-process simulator (a PRO-2052 unless told) running the default activity script, or (given a
 * device) on a real serial port, with its folders in a temporary directory and a free TCP port.
 * Every command the simulator receives is kept in order. Tests that use it link valdoria_sim.
 */
struct SessionRig {
    explicit SessionRig(const QString& device = {}, const QString& model = QStringLiteral("pro2052"),
                        std::optional<quint16> webPort = std::nullopt)
        : simulator(Simulator::createModel(model)) {
        if (QString error; !simulator.loadScript(ActivityScript::defaultScript(), &error))
            qFatal("The default activity script does not load: %s", qPrintable(error));
        // A scan stop every few script seconds; the time scale makes a script second 20 ms.
        simulator.setTimeScale(0.02);
        QObject::connect(&simulator, &Simulator::commandReceived,
                         [this](const QString& command) { commands << command; });
        SessionOptions options;
        options.appFolder = dir.path();
        options.device = device.isEmpty() ? QStringLiteral("simulator") : device;
        options.rememberDevice = false;
        options.remotePort = 0;
        options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
        options.webPort = webPort;
        options.transport = device.isEmpty() ? new SimulatorTransport(&simulator) : nullptr;
        options.model =
            simulator.model().name() == QLatin1String("bc780xlt") ? ScannerModel::Bc780xlt : ScannerModel::Pro2052;
        session = std::make_unique<Session>(options, prompter);
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    Simulator simulator;
    QStringList commands;
    std::unique_ptr<Session> session;
};
