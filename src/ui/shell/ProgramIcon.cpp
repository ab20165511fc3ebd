#include "shell/ProgramIcon.h"

QIcon ProgramIcon::icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/valdoria.png").arg(size), QSize(size, size));
    return icon;
}
