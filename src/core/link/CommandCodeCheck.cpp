#include "CommandCodeCheck.h"

#include "SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"

#include <QDir>

CommandCodeCheck::CommandCodeCheck(ScannerState& state, SerialLink& link, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_link(link)
    , m_pairs(pairs()) {
    m_timeout.setSingleShot(true);
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_timeout, &QTimer::timeout, this, &CommandCodeCheck::onTimeout);
    connect(&m_next, &QTimer::timeout, this, &CommandCodeCheck::sendNextPair);
    connect(&m_link, &SerialLink::received, this, &CommandCodeCheck::onReceived);
    connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) {
        if (!isRunning())
            return;
        stop();
        Q_EMIT failed(QStringLiteral("The command check stopped: the port was lost (%1).").arg(reason));
    });
}

QStringList CommandCodeCheck::pairs() {
    QStringList out;
    out.reserve(kPairCount);
    for (char first = 'A'; first <= 'Z'; ++first) {
        for (char second = 'A'; second <= 'Z'; ++second) {
            const QString pair = QString(QLatin1Char(first)) + QLatin1Char(second);
            if (pair != Commands::ClearAllMemory)
                out.append(pair);
        }
    }
    return out;
}

QString CommandCodeCheck::logPath() const {
    return QDir(m_state.gAppPath).filePath(QStringLiteral("LOGS/COMMANDS.log"));
}

bool CommandCodeCheck::start() {
    if (isRunning())
        return false;
    if (!m_link.isOpen()) {
        Q_EMIT failed(QStringLiteral("The command check needs the scanner: the COM port is not open."));
        return false;
    }
    const QDir appDir(m_state.gAppPath);
    if (!appDir.mkpath(QStringLiteral("LOGS"))) {
        Q_EMIT failed(QStringLiteral("Cannot create the folder %1.").arg(appDir.filePath(QStringLiteral("LOGS"))));
        return false;
    }
    m_log.setFileName(logPath());
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        Q_EMIT failed(QStringLiteral("Cannot open %1: %2").arg(m_log.fileName(), m_log.errorString()));
        return false;
    }

    // 157 keeps the poll cycle's per-mode work idle while the pairs go out.
    m_state.gMode = ModeCode::CommandCheck;
    m_index = 0;
    m_step = Step::WaitingForMode;
    m_link.sendToScanner(Commands::QuickOff);
    m_link.sendToScanner(Commands::IdReportOff);
    m_link.readReplyLines();
    m_timeout.start(m_modeTimeoutMs);
    m_link.sendToScanner(Commands::Mode);
    // The answer may already be in (an in-process scanner answers at once).
    if (m_step == Step::WaitingForMode)
        takeModeLines();
    return true;
}

void CommandCodeCheck::cancel() {
    if (!isRunning())
        return;
    stop();
    Q_EMIT cancelled();
}

void CommandCodeCheck::stop() {
    m_timeout.stop();
    m_next.stop();
    m_step = Step::Idle;
    m_log.close();
}

void CommandCodeCheck::onReceived() {
    if (m_step == Step::WaitingForMode)
        takeModeLines();
    else if (m_step == Step::WaitingForPair && m_link.hasCompleteLine())
        completePair();
}

void CommandCodeCheck::onTimeout() {
    if (m_step == Step::WaitingForMode)
        writeModeLine(QStringLiteral("(no answer)"));
    else if (m_step == Step::WaitingForPair)
        completePair();
}

void CommandCodeCheck::takeModeLines() {
    // Lines before the mode reply (answers to earlier commands) are read and dropped.
    while (m_link.hasCompleteLine()) {
        m_link.cutOneLine();
        if (m_state.gReply.contains(QLatin1String("MD"))) {
            writeModeLine(m_state.gReply);
            return;
        }
    }
}

void CommandCodeCheck::writeModeLine(const QString& reply) {
    m_timeout.stop();
    writeLine(QStringLiteral("MODE: ") + reply);
    m_link.readReplyLines();
    m_step = Step::Between;
    m_next.start();
}

void CommandCodeCheck::sendNextPair() {
    if (m_step != Step::Between)
        return;
    const int index = m_index;
    const QString pair = m_pairs.at(index);
    m_step = Step::WaitingForPair;
    m_timeout.start(m_pairWaitMs);
    Q_EMIT pairSent(pair);
    m_link.sendToScanner(pair);
    // An answer that arrived while the command was being written, or a line already queued,
    // is taken now.
    if (m_step == Step::WaitingForPair && m_index == index && m_link.hasCompleteLine())
        completePair();
}

void CommandCodeCheck::completePair() {
    m_timeout.stop();
    // Without a new line the reply written before is repeated, so every pair keeps its line.
    if (m_link.hasCompleteLine())
        m_link.cutOneLine();
    writeLine(m_pairs.at(m_index) + QLatin1Char(' ') + m_state.gReply);
    ++m_index;
    Q_EMIT progress(m_index, kPairCount);
    if (m_index >= kPairCount) {
        stop();
        Q_EMIT finished();
        return;
    }
    m_step = Step::Between;
    m_next.start();
}

void CommandCodeCheck::writeLine(const QString& line) {
    m_log.write(line.toLatin1() + "\r\n");
    m_log.flush();
}
