#include "Monitor.h"

#include "Bc780Cycle.h"
#include "Bc780LcdParser.h"
#include "FaceplateActions.h"
#include "HitTracker.h"
#include "KeyHandlers.h"
#include "Keyboard.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "Panel.h"
#include "PollCycle.h"
#include "Pro2052Cycle.h"
#include "StatusParser.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"

Monitor::Monitor(MonitorContext& context, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_panel(std::make_unique<Panel>(context))
    , m_detector(std::make_unique<ModeDetector>(context, *m_panel))
    , m_keys(std::make_unique<KeyHandlers>(context, *m_detector))
    , m_poll(std::make_unique<PollCycle>(context, *m_detector))
    , m_keyboard(std::make_unique<Keyboard>(context, *m_keys, *m_detector))
    , m_actions(std::make_unique<FaceplateActions>(context, *m_panel, *m_detector, *m_poll))
    , m_hits(std::make_unique<HitTracker>(context.clock)) {
    // The one place the scanner's replies and poll cycle are chosen.
    switch (ScannerProfile::of(context.state).parser) {
    case ScannerProfile::Parser::StatusLines: {
        auto parser = std::make_unique<StatusParser>(context, *m_panel);
        m_poll->setRules(std::make_unique<Pro2052Cycle>(context, *m_poll, *parser, *m_keys));
        m_parser = std::move(parser);
        break;
    }
    case ScannerProfile::Parser::LcdSegments: {
        auto parser = std::make_unique<Bc780LcdParser>(context, *m_panel);
        m_poll->setRules(std::make_unique<Bc780Cycle>(context, *m_poll, *parser, *m_panel));
        m_parser = std::move(parser);
        break;
    }
    }
    // A detection replaces the running cycle; its result starts the next one.
    connect(m_detector.get(), &ModeDetector::detectionStarted, m_poll.get(), &PollCycle::stop);
    connect(m_detector.get(), &ModeDetector::modeDetected, this, &Monitor::onModeDetected);
    connect(m_detector.get(), &ModeDetector::modeDetected, m_poll.get(), &PollCycle::start);
    // Every pass may have read a reply; an unchanged reading publishes nothing.
    connect(m_poll.get(), &PollCycle::passDone, this, &Monitor::publish);
    connect(m_hits.get(), &HitTracker::hitStarted, this, &Monitor::hitStarted);
    connect(m_hits.get(), &HitTracker::hitEnded, this, &Monitor::hitEnded);
    connect(m_detector.get(), &ModeDetector::faceplateRequested, this, &Monitor::faceplateRequested);
    connect(m_actions.get(), &FaceplateActions::rangeSearchRequested, this, &Monitor::rangeSearchRequested);
    connect(m_poll.get(), &PollCycle::statusLine, this, &Monitor::statusLine);
}

Monitor::~Monitor() {
    // The poll cycle and the actions refer to the detector: stop everything before members go.
    m_poll->stop();
    m_detector->cancel();
}

void Monitor::start() {
    m_ctx.state.gMode = ModeCode::Undetermined;
    m_detector->checkMode();
}

void Monitor::stop() {
    m_detector->cancel();
    m_poll->stop();
    m_hits->finish();
}

void Monitor::checkMode() {
    m_detector->checkMode();
}

void Monitor::goBackToFacePlate() {
    m_detector->goBackToFacePlate();
}

void Monitor::searchRange(const QString& low, const QString& high, int dwell, int unused) {
    m_poll->searchRange(low, high, dwell, unused);
}

void Monitor::suspend() {
    // A detection still waiting for "MD" would otherwise start the poll cycle under the window that took over.
    m_detector->cancel();
    m_poll->suspend();
}

void Monitor::setLampRefresh(std::function<void()> refresh) {
    m_poll->setLampRefresh(std::move(refresh));
}

const Reading& Monitor::reading() const {
    return m_reading;
}

void Monitor::onModeDetected() {
    m_parser->restartReading();
    publish();
}

void Monitor::publish() {
    const Reading& next = m_parser->reading();
    if (next == m_reading)
        return;
    m_reading = next;
    m_hits->follow(m_reading);
    Q_EMIT readingChanged(m_reading);
}
