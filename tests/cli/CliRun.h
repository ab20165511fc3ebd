#pragma once
// valdoria-cli run as a script runs it: the core's diagnostics left at their default, the settings below a
// folder of the test's when it names one, and the outcome read once the program has ended.
#include <QProcess>
#include <QSignalSpy>

struct CliRun {
    bool inTime = false;
    bool crashed = false;
    int status = -1;
    QString out;
    QString err;
};

inline void startCli(QProcess& cli, const QStringList& arguments, const QString& configHome = {},
                     const QString& program = QStringLiteral(VALDORIA_CLI_EXECUTABLE)) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (!configHome.isEmpty())
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    cli.setProcessEnvironment(env);
    cli.start(program, arguments);
}

// Waits with the event loop running, so a simulator in the test keeps answering meanwhile; a program that
// overruns is killed.
inline CliRun waitForCli(QProcess& cli, int ms = 20000) {
    CliRun run;
    if (cli.state() != QProcess::NotRunning) {
        QSignalSpy done(&cli, &QProcess::finished);
        run.inTime = done.wait(ms);
    } else {
        run.inTime = true;
    }
    if (!run.inTime) {
        cli.kill();
        cli.waitForFinished(5000);
    }
    run.crashed = cli.exitStatus() == QProcess::CrashExit;
    run.status = cli.exitCode();
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

inline CliRun runCli(const QStringList& arguments, int ms = 20000) {
    QProcess cli;
    startCli(cli, arguments);
    return waitForCli(cli, ms);
}
