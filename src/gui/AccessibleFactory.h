#pragma once

#include <QAccessible>
#include <QWidget>

// Registers, once, the screen-reader interface `Interface` for the widgets of
// class `Control`, and hands `parent` back. A control calls it in its base
// class initialiser: Qt may describe the control while building it.
template <typename Control, typename Interface>
QWidget *withAccessibleInterface(QWidget *parent)
{
    static const bool installed = (QAccessible::installFactory(
                                       [](const QString &className, QObject *object) -> QAccessibleInterface * {
                                           if (className == QLatin1String(Control::staticMetaObject.className()))
                                               return new Interface(static_cast<Control *>(object));
                                           return nullptr;
                                       }),
                                   true);
    Q_UNUSED(installed);
    return parent;
}
