#pragma once

#include <QLoggingCategory>

/// Diagnostics of the monitor: mode detection, the poll cycle, keys and menus.
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)
