// Interface page of the main window: baud rate and character format of the
// gateway's RS232 and RS485 sides.

#include "shell/F_FormMain.h"

#include "gui/RadioGroup.h"
#include "core/IniFile.h"

#include "ui_TabSheetInterface.h"

void TFormMain::TabSheetInterfaceShow()
{
    const struct
    {
        const char *key;
        RadioGroup *group;
    } settings[] = {
        {"BaudrateRS232", uiInterface->RadioGroupBaudrateRS232},
        {"ParameterRS232", uiInterface->RadioGroupParameterRS232},
        {"BaudrateRS485", uiInterface->RadioGroupBaudrateRS485},
        {"ParameterRS485", uiInterface->RadioGroupParameterRS485},
    };
    // Selecting a different index stores it (the click handlers); a file
    // that cannot take it is no reason to complain while merely showing.
    // All four are read first, so that a file that cannot be read leaves no
    // group showing a value that did not come from it.
    int values[4] = {3, 3, 3, 3};
    try {
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            const int stored = ReadIniValue(QStringLiteral("INTERFACE"), QLatin1String(settings[i].key),
                                            QStringLiteral("3"))
                                   .toInt(&ok);
            if (ok)
                values[i] = stored;
        }
    } catch (const IniError &) {
        m_loadingInterface = true;
        for (const auto &setting : settings)
            setting.group->setItemIndex(-1);
        m_loadingInterface = false;
        m_interfaceStale = true;
        throw;
    }
    m_loadingInterface = true;
    for (int i = 0; i < 4; ++i) {
        // Above the last item selects the last one, negative selects none.
        settings[i].group->setItemIndex(values[i]);
    }
    m_loadingInterface = false;
    m_interfaceStale = false;
}

void TFormMain::InterfaceGroupClick(const QString &key, int index)
{
    if (index < 0)
        return;
    try {
        WriteIniValue(QStringLiteral("INTERFACE"), key, QString::number(index));
    } catch (const IniError &) {
        if (!m_loadingInterface)
            throw;
    }
}

void TFormMain::RadioGroupBaudrateRS232Click()
{
    InterfaceGroupClick(QStringLiteral("BaudrateRS232"),
                        uiInterface->RadioGroupBaudrateRS232->itemIndex());
}

void TFormMain::RadioGroupParameterRS232Click()
{
    InterfaceGroupClick(QStringLiteral("ParameterRS232"),
                        uiInterface->RadioGroupParameterRS232->itemIndex());
}

void TFormMain::RadioGroupBaudrateRS485Click()
{
    InterfaceGroupClick(QStringLiteral("BaudrateRS485"),
                        uiInterface->RadioGroupBaudrateRS485->itemIndex());
}

void TFormMain::RadioGroupParameterRS485Click()
{
    InterfaceGroupClick(QStringLiteral("ParameterRS485"),
                        uiInterface->RadioGroupParameterRS485->itemIndex());
}
