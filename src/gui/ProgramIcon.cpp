#include "gui/ProgramIcon.h"

QIcon ProgramIcon()
{
    // The resource sits in a static library: without this call the linker
    // drops it.
    Q_INIT_RESOURCE(icon);
    return QIcon(QStringLiteral(":/icons/velmora.png"));
}
