#pragma once

struct ScannerState;
class SerialLink;
class DisplayModel;
class Switches;
class Clock;
class Prompter;
class Lookups;
class ActivityLog;
class RemoteEndpoint;

/**
 * What the monitor's routines (panel routines, parser, mode detection, poll cycle, key
 * handlers) work on. The Session fills it from the objects it owns; tests fill it with their
 * own, and may leave the three services at the end empty.
 */
struct MonitorContext {
    ScannerState& state;
    SerialLink& link;
    DisplayModel& display; ///< the faceplate's display
    DisplayModel& aux;     ///< frmAuxDisplay: Text2(1) to Text2(8)
    Switches& switches;
    Clock& clock;
    Prompter& prompter;
    Lookups* lookups = nullptr;
    ActivityLog* log = nullptr;
    RemoteEndpoint* remote = nullptr;
};
