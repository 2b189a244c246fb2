#pragma once
// The two languages of the program's words.

enum class Language { German, English };

// The language of the window's language switch and of the stored "Speech"
// key: 0 German, anything else English.
constexpr Language LanguageOfIndex(int index)
{
    return index == 0 ? Language::German : Language::English;
}
constexpr int IndexOfLanguage(Language language)
{
    return language == Language::German ? 0 : 1;
}
