#pragma once
// Qt's own texts (the buttons of message boxes, the file dialogs and their
// overwrite prompt) in the program's language, from the system's Qt
// translations (Debian: qt6-translations-l10n).

// Language 0 installs the German translations, anything else removes them:
// English is Qt's own language. Returns false when German is asked for and
// the translations cannot be loaded; Qt's texts then stay English.
bool UseQtTranslations(int language);
