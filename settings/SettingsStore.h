// The settings file: its sixteen keys with their types and defaults, the text conversions
// of its values, and its path. Pure text in, text out; reading and writing the file happens
// at the edge (the engine's LoadSettings and SaveSettings).
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Language.h"

namespace popyo {

// A conversion or file error. what() is the UTF-8 text the error box shows (without the
// period the box appends).
class SettingsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class SettingKind : std::uint8_t { Integer, Boolean };

struct SettingRow {
    std::string_view key;
    SettingKind kind;
    std::int32_t defaultValue;  // booleans: 0 or 1
};

inline constexpr std::size_t kSettingCount = 16;

// File order. wx's default depends on the engine window and is filled in by the engine.
inline constexpr std::array<SettingRow, kSettingCount> kSettingRows{{
    {"wx", SettingKind::Integer, 195},
    {"mv", SettingKind::Integer, 150},
    {"mgn", SettingKind::Integer, 1},
    {"mgn2", SettingKind::Integer, 15},
    {"actwin", SettingKind::Boolean, 1},
    {"hiact", SettingKind::Boolean, 1},
    {"outwin", SettingKind::Boolean, 1},
    {"DisableKey", SettingKind::Integer, 17},
    {"AutoRestore", SettingKind::Boolean, 1},
    {"MouseDownDisable", SettingKind::Boolean, 1},
    {"OnTime", SettingKind::Integer, 10},
    {"OffTime", SettingKind::Integer, 10},
    {"OutCheck", SettingKind::Boolean, 1},
    {"SwitchOnTime", SettingKind::Boolean, 1},
    {"AutoActivate", SettingKind::Boolean, 1},
    {"ChangePopyonStyle", SettingKind::Boolean, 0},
}};

inline constexpr std::size_t kWxIndex = 0;

// Where each setting lives in an object that holds a full set (the engine, the dialog), in
// kSettingRows order. A null pointer marks a setting the object does not hold.
using SettingField = std::variant<std::int32_t*, bool*>;
using SettingFields = std::array<SettingField, kSettingCount>;

// Text conversions. Both throw SettingsError with the value in the message.
std::int32_t StrToInt(std::string_view text);
bool StrToBool(std::string_view text);

// Stores every key found in the text into its field, in table order; a key without a line,
// or with an empty value, keeps its field. A conversion error throws at that key: the keys
// before it keep their new values.
void ParseSettingsText(std::string_view text, const SettingFields& fields);
// The sixteen lines key=value, each ending in CR LF.
std::string FormatSettingsText(const SettingFields& fields);
void ApplyDefaults(const SettingFields& fields, std::int32_t wxDefault);
// Copies every setting both objects hold.
void CopySettings(const SettingFields& from, const SettingFields& to);

// The part of the path before its last "\", or empty text.
std::string ExtractDir(std::string_view path);
std::string SettingsFilePath(std::string_view exePath, std::string_view userName);

std::string IntegerError(std::string_view value);
std::string BooleanError(std::string_view value);
// In the language the engine speaks: the file faults are the engine's own texts.
std::string OpenError(std::string_view path, Language language);
std::string CreateError(std::string_view path, Language language);

}  // namespace popyo
