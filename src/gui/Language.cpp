#include "gui/Language.h"

#include "gui/QtTranslations.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

struct NumberedText
{
    int number;
    const char *text; // UTF-8
};

// Tag n shows text n in German and text n + 1000 in English. Text 22/1022
// belongs to no control.
constexpr NumberedText StringTable[] = {
    {1, "Verbinden"},
    {2, "COM Port auswählen:"},
    {3, "QVR Adresse"},
    {4, "Zapfpunkt"},
    {5, "Produktqualität"},
    {6, "EDV Nummer"},
    {7, "Lesen"},
    {8, "Schreiben"},
    {9, "Produkt Nr"},
    {10, "Qualität"},
    {11, "Produktname"},
    {12, "( max. 10 Zeichen )"},
    {13, "Alle Daten aus dem Velmora zum Bearbeiten auslesen:"},
    {14, "Eine gespeicherte Konfiguration zum Bearbeiten laden:"},
    {15, "Die aktuell geöffnete Konfiguration speichern:"},
    {16, "Datei öffnen"},
    {17, "Datei speichern"},
    {18, "Die geöffnete, aktuell angezeigte Konfiguration zum Velmora übertragen:"},
    {19, "Konfiguration"},
    {20, "Daten übertragen"},
    {21, "Druckermodell"},
    {22, "Kopfzeile für Ausdruck (max. 40 Zeichen)"},
    {1001, "Connect"},
    {1002, "Select COM port:"},
    {1003, "QVR address"},
    {1004, "Point of disp."},
    {1005, "Product quality"},
    {1006, "EDP number"},
    {1007, "read"},
    {1008, "write"},
    {1009, "Product no"},
    {1010, "quality"},
    {1011, "product name"},
    {1012, "( max. 10 characters )"},
    {1013, "Get all data to edit from the Velmora:"},
    {1014, "Load a stored configuration to edit:"},
    {1015, "Save the currently opened configuration:"},
    {1016, "Open file"},
    {1017, "Save file"},
    {1018, "Send the actual opened configuration to the Velmora:"},
    {1019, "Configuration"},
    {1020, "Transfer data"},
    {1021, "Printer model"},
    {1022, "Headline for the printout (max. 40 characters)"},
};

void applyCaption(QObject *object, int offset)
{
    const int tag = object->property("tag").toInt();
    if (tag == 0)
        return;
    const QString text = LoadText(tag + offset);
    if (text.isEmpty())
        return;
    if (auto *label = qobject_cast<QLabel *>(object))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(object))
        group->setTitle(text);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(text);
}

} // namespace

QString LoadText(int number)
{
    for (const NumberedText &entry : StringTable) {
        if (entry.number == number)
            return QString::fromUtf8(entry.text);
    }
    return QString();
}

void ApplyLanguage(QObject *form, int offset)
{
    // The window itself keeps its caption; every control in it is visited.
    const QList<QObject *> children = form->findChildren<QObject *>();
    for (QObject *child : children)
        applyCaption(child, offset);
}

void ApplyLanguage(int offset)
{
    // Dialogs of Qt's own (quit question, file dialogs) speak the same language.
    UseQtTranslations(offset == 0 ? 0 : 1);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        ApplyLanguage(window, offset);
}
