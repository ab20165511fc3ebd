#pragma once

#include <QIcon>

/// The program's own icon (a scanner), the one the desktop menu shows, at every size it ships in.
class ProgramIcon {
public:
    static QIcon icon();
};
