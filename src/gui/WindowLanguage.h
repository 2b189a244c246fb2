#pragma once
// The language the window shows: the window sets it, every page reads it.

#include "texts/Texts.h"
#include "gui/Language.h"

class WindowLanguage
{
public:
    Language current() const { return m_current; }
    void set(Language language) { m_current = language; }
    // The offset of the caption texts numbered for this language.
    int captionOffset() const { return m_current == Language::German ? 0 : EnglishOffset; }

private:
    Language m_current = Language::German;
};
