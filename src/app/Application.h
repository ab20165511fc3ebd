#pragma once

#include "shell/QtPrompter.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class FaceplateController;
class FaceplateWindow;
class BuiltInSimulator;
class Session;
class SplashWindow;

/// What the command line asks for.
struct AppOptions {
    QString device;
    QString dataDir;
    QString model = QStringLiteral("pro2052");
    /// Keep model as the faceplate of the next start (it was chosen with --model).
    bool rememberModel = false;
    bool simulate = false;
    QString simulateModel;
    quint16 remotePort = 5757;
    /// --rigctl-port; no value: the "Rigctl_Port" setting decides.
    std::optional<quint16> rigctlPort;
    /// --web-port; no value: the "Web_Port" setting decides.
    std::optional<quint16> webPort;
    /// --list-ports: print the serial ports and exit.
    bool listPorts = false;
    /// --list-audio: print the sound card inputs and exit.
    bool listAudio = false;
    /// --audio-device: the input to capture from, stored as Audio_Device; empty: the stored one.
    QString audioDevice;
    /// --stream: the live stream for this run; empty: the Stream_Url setting.
    QString streamUrl;
};

/**
 * The running program: the start-up window, then the faceplate over one Session (and the
 * built-in simulator with --simulate). FaceplateController does the wiring; this class only
 * creates things in the right order.
 */
class Application : public QObject {
    Q_OBJECT

public:
    explicit Application(const AppOptions& options, QObject* parent = nullptr);
    ~Application() override;

    /// Shows the start-up window; the faceplate follows three seconds later. False when the
    /// built-in simulator could not start (the reason has been printed).
    bool start();

private:
    void showFaceplate();

    AppOptions m_options;
    QtPrompter m_prompter;
    QString m_buildDateText;
    std::unique_ptr<BuiltInSimulator> m_simulator;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<FaceplateWindow> m_faceplate;
    std::unique_ptr<FaceplateController> m_controller;
};
