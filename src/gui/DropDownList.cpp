#include "gui/DropDownList.h"

#include "gui/Accessibility.h"

namespace {

// Registered before the list exists: Qt may describe a list while building it.
QWidget *withAccessibleControls(QWidget *parent)
{
    InstallAccessibleControls();
    return parent;
}

} // namespace

DropDownList::DropDownList(QWidget *parent) : QComboBox(withAccessibleControls(parent))
{
}
