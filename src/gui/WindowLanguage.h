#pragma once
// The language the window shows: the window sets it, every page reads it.

#include "texts/Texts.h"

class WindowLanguage
{
public:
    Language current() const { return m_current; }
    void set(Language language) { m_current = language; }

private:
    Language m_current = Language::German;
};
