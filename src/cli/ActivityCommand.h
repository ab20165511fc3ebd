#pragma once

#include <QStringList>

/// valdoria-cli activity: hits per hour and the busiest channels, frequencies and talkgroups of a day.
int runActivity(const QStringList& arguments);
