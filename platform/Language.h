// The languages the programs speak, and how each chooses: a front-end's choice, or else the
// language of Windows' own user interface. Japanese for a Japanese Windows, English for any
// other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace popyo {

enum class Language : std::uint8_t { English, Japanese };

// The values of the engine's language option, and of what the tray's rules file chooses.
enum LanguageChoice : std::int32_t { lnFollowWindows = 0, lnEnglish = 1, lnJapanese = 2 };

// `uiLanguage` is a Windows language id (GetUserDefaultUILanguage); its low ten bits name the
// language, LANG_JAPANESE being 0x11.
constexpr Language ChooseLanguage(std::int32_t choice, std::uint16_t uiLanguage) {
    constexpr std::uint16_t kLangJapanese = 0x11;
    if (choice == lnEnglish) {
        return Language::English;
    }
    if (choice == lnJapanese) {
        return Language::Japanese;
    }
    return (uiLanguage & 0x3FF) == kLangJapanese ? Language::Japanese : Language::English;
}

// One user-facing text in both languages, UTF-8.
struct TextPair {
    std::string_view en;
    std::string_view ja;
    constexpr std::string_view In(Language language) const {
        return language == Language::Japanese ? ja : en;
    }
};

// One row of a program's text table, which lists its texts in the order of their ids.
template <class Id>
struct TextRow {
    Id id;
    TextPair text;
};

// True when the table has a row for every id below `Id::Count`, each at its id's place, so
// that a text is found by its id alone.
template <class Id, std::size_t N>
constexpr bool EveryTextInOrder(const TextRow<Id> (&rows)[N]) {
    if (N != static_cast<std::size_t>(Id::Count)) {
        return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(rows[i].id) != i) {
            return false;
        }
    }
    return true;
}

}  // namespace popyo
