#pragma once
// The numbered caption texts (German 1..22, English 1001..1022) and the walk
// that gives every tagged control the text of its tag in one language.

#include <QString>

class QObject;

inline constexpr int EnglishOffset = 1000;

// The caption text numbered `number`; empty when there is none.
QString LoadText(int number);

// Gives every tagged label, button, check box, radio button, group box, radio
// group and menu item of the program's windows the text number tag + offset
// (offset 0 German, 1000 English). A tag without a text keeps its caption.
// Qt's own dialog texts follow (UseQtTranslations).
void ApplyLanguage(int offset);

// The same walk over the controls of one window only.
void ApplyLanguage(QObject *form, int offset);
