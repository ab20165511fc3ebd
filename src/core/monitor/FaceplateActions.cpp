#include "FaceplateActions.h"

#include "DisplayModel.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "Panel.h"
#include "PollCycle.h"
#include "Prompter.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

#include <QPointer>

FaceplateActions::FaceplateActions(MonitorContext& context, Panel& panel, ModeDetector& detector, PollCycle& poll,
                                   QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_panel(panel)
    , m_detector(detector)
    , m_poll(poll) {}

void FaceplateActions::manualMode() {
    m_ctx.link.sendToScanner(Commands::key(Commands::Key::Manual));
    m_detector.checkMode();
}

void FaceplateActions::scanMode() {
    m_ctx.link.sendToScanner(Commands::key(Commands::Key::Scan));
    m_detector.checkMode();
}

void FaceplateActions::searchMode() {
    ScannerState& s = m_ctx.state;
    s.gModeName = QString::number(s.gMode);
    s.gMode = ModeCode::RangeSearch;
    m_panel.clearPanel();
    m_panel.showSearchPanel();
    // The window has the scanner now: a detection still asking for the mode is abandoned too.
    m_detector.cancel();
    m_poll.suspend();
    Q_EMIT rangeSearchRequested();
}

QString FaceplateActions::clearMemoryTitle() {
    return QStringLiteral("WIPE OUT SCANNER MEMORY?");
}

QString FaceplateActions::clearMemoryText() {
    return QStringLiteral("Are you ABSOLUTELY SURE\r\nthat you want to restore the scanner to\r\nFACTORY DEFAULTS?");
}

void FaceplateActions::clearMemory() {
    QPointer<FaceplateActions> self(this);
    m_ctx.prompter.confirm(clearMemoryTitle(), clearMemoryText(), Prompter::Icon::Warning, [self](bool ok) {
        if (self && ok)
            self->m_ctx.link.sendToScanner(Commands::ClearAllMemory);
    });
}

void FaceplateActions::toggleShowFreqAndTalkgroup() {
    Switches& sw = m_ctx.switches;
    const bool wasOn = sw.showFreqAndTalkgroup();
    sw.setShowFreqAndTalkgroup(!wasOn);
    m_ctx.link.sendToScanner(wasOn ? Commands::FreqAndTalkgroupOff : Commands::FreqAndTalkgroupOn);
}

void FaceplateActions::openAuxDisplay() {
    if (m_ctx.aux.windowVisible()) {
        m_ctx.prompter.inform(QStringLiteral("Aux Display Error!"),
                              QStringLiteral("The Pro-2052 Aux Display is already open"), Prompter::Icon::Information);
        return;
    }
    m_ctx.aux.setWindowVisible(true);
}

void FaceplateActions::toggleScanLogging() {
    m_ctx.switches.setScanLogging(!m_ctx.switches.scanLogging());
}

void FaceplateActions::toggleSearchLogging() {
    m_ctx.switches.setSearchLogging(!m_ctx.switches.searchLogging());
}

void FaceplateActions::toggleTrunkLogging() {
    m_ctx.switches.setTrunkLogging(!m_ctx.switches.trunkLogging());
}
