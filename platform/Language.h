// The languages the programs speak, and how each chooses: a front-end's choice, or else the
// language of Windows' own user interface. Japanese for a Japanese Windows, English for any
// other.
#pragma once

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

}  // namespace popyo
