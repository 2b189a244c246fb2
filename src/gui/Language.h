#pragma once
// The walk that gives every tagged control the caption of its tag in one
// language.

#include "texts/Texts.h"

class QObject;

// Gives every tagged label, button, check box, radio button, group box, radio
// group and menu item of the program's windows the caption of its tag in
// `language`. A tag without a caption keeps its text. Qt's own dialog texts
// follow (UseQtTranslations).
void ApplyLanguage(Language language);

// The same walk over the controls of one window only.
void ApplyLanguage(QObject *form, Language language);
