#include "BuiltInSimulator.h"

#include "ActivityScript.h"
#include "DemoNames.h"
#include "PtyHost.h"
#include "SimulatedScanner.h"
#include "Simulator.h"
#include "SimulatorTransport.h"

namespace {
const QString kOption = QStringLiteral("--simulate");
} // namespace

QStringList BuiltInSimulator::takeOption(const QStringList& arguments, std::optional<QString>* model) {
    QStringList rest;
    for (const QString& argument : arguments) {
        if (argument == kOption)
            *model = defaultModel();
        else if (argument.startsWith(kOption + QLatin1Char('=')))
            *model = argument.mid(kOption.size() + 1).toLower();
        else
            rest.append(argument);
    }
    return rest;
}

QString BuiltInSimulator::checkModel(const QString& model) {
    if (Simulator::modelNames().contains(model))
        return {};
    return QStringLiteral("the simulator knows %1, not \"%2\"")
        .arg(Simulator::modelNames().join(QStringLiteral(", ")), model);
}

std::unique_ptr<BuiltInSimulator> BuiltInSimulator::start(const QString& model, Line line, QString* error) {
    *error = checkModel(model);
    if (!error->isEmpty())
        return nullptr;
    std::unique_ptr<BuiltInSimulator> built(new BuiltInSimulator);
    built->m_simulator = std::make_unique<Simulator>(Simulator::createModel(model));
    if (!built->m_simulator->loadScript(ActivityScript::defaultScript(), error)) {
        *error = QStringLiteral("the simulator's script does not load: %1").arg(*error);
        return nullptr;
    }
    if (line == Line::InProcess)
        return built;
    built->m_pty = std::make_unique<PtyHost>(built->m_simulator.get());
    if (!built->m_pty->open()) {
        *error = QStringLiteral("cannot start the simulator: %1").arg(built->m_pty->errorText());
        return nullptr;
    }
    built->m_simulator->startActivity();
    return built;
}

BuiltInSimulator::~BuiltInSimulator() {
    // The pseudo-terminal serves the simulator: it goes first.
    m_pty.reset();
    m_simulator.reset();
}

QString BuiltInSimulator::devicePath() const {
    return m_pty ? m_pty->devicePath() : QString();
}

Transport* BuiltInSimulator::newTransport() {
    return new SimulatorTransport(m_simulator.get());
}

void BuiltInSimulator::seedNames(LocalDatabase& database) {
    DemoNames::seed(database, ActivityScript::defaultScript());
}
