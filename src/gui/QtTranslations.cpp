#include "gui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

bool UseQtTranslations(int language)
{
    // One translator for the program's life; installing it again would send
    // every widget another language-change event.
    static QPointer<QTranslator> german;
    static bool installed = false;
    if (!german)
        installed = false; // gone with an earlier application object
    if (language != 0) {
        if (installed)
            QCoreApplication::removeTranslator(german);
        installed = false;
        return true;
    }
    if (installed)
        return true;
    if (!german) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        // qtbase holds the texts of the widgets the program shows.
        if (!translator->load(QStringLiteral("qtbase_de"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return false;
        }
        german = translator;
    }
    installed = QCoreApplication::installTranslator(german);
    return installed;
}
