#include "settings/SettingsStore.h"

#include "engine/EngineTexts.h"

#include <limits>
#include <optional>
#include <vector>

namespace popyo {

namespace {

// Built by appending: GCC 12 warns falsely about overlapping copies in chains of
// operator+ on temporaries.
std::string Framed(std::string_view before, std::string_view value, std::string_view after) {
    std::string text;
    text.reserve(before.size() + value.size() + after.size());
    text.append(before).append(value).append(after);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Keys and the words True and False compare without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && s[i] == ' ') {
        ++i;
    }
    return i;
}

// Hexadecimal follows "$", "x", "X", "0x" or "0X". Answers the index of the first digit, or
// npos when the text at i is no hexadecimal prefix.
std::size_t HexDigitsStart(std::string_view s, std::size_t i) {
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        return i + 1;
    }
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        return i + 2;
    }
    return std::string_view::npos;
}

// A hexadecimal value may use all 32 bits: $FFFFFFFF reads as -1, as the runtime's own
// conversion does. Decimal values must lie within the signed range.
std::optional<std::int32_t> ParseHex(std::string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    for (char c : digits) {
        const int v = HexValue(c);
        if (v < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * 16 + static_cast<std::uint64_t>(v);
        if (magnitude > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

std::optional<std::int32_t> ParseDecimal(std::string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t magnitude = 0;
    for (char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::int32_t> TryStrToInt(std::string_view s) {
    std::size_t i = SkipBlanks(s, 0);
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (const std::size_t hex = HexDigitsStart(s, i); hex != std::string_view::npos) {
        return ParseHex(s.substr(hex), negative);
    }
    return ParseDecimal(s.substr(i), negative);
}

// A decimal number in the forms the runtime's float conversion reads: digits with an
// optional fraction and exponent. Answers whether it is non-zero, or nullopt when the text
// is no such number.
std::optional<bool> TryDecimalIsNonZero(std::string_view s) {
    std::size_t i = SkipBlanks(s, 0);
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    bool anyDigit = false;
    bool nonZero = false;
    auto digitsFrom = [&](std::size_t j) {
        while (j < s.size() && IsDigit(s[j])) {
            anyDigit = true;
            nonZero = nonZero || s[j] != '0';
            ++j;
        }
        return j;
    };
    i = digitsFrom(i);
    if (i < s.size() && s[i] == '.') {
        i = digitsFrom(i + 1);
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        const std::size_t digits = j;
        while (j < s.size() && IsDigit(s[j])) {
            ++j;
        }
        if (j == digits) {
            return std::nullopt;
        }
        i = j;
    }
    if (i != s.size()) {
        return std::nullopt;
    }
    return nonZero;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

// The value of the first line whose key is the given one; nullopt when there is none.
// Nothing is trimmed: blanks around a key are part of it.
std::optional<std::string_view> FindValue(const std::vector<std::string_view>& lines,
                                          std::string_view key) {
    for (std::string_view line : lines) {
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && SameText(line.substr(0, eq), key)) {
            return line.substr(eq + 1);
        }
    }
    return std::nullopt;
}

}  // namespace

std::int32_t StrToInt(std::string_view text) {
    if (auto v = TryStrToInt(text)) {
        return *v;
    }
    throw SettingsError(IntegerError(text));
}

bool StrToBool(std::string_view text) {
    if (auto v = TryDecimalIsNonZero(text)) {
        return *v;
    }
    if (SameText(text, "True")) {
        return true;
    }
    if (SameText(text, "False")) {
        return false;
    }
    throw SettingsError(BooleanError(text));
}

void ParseSettingsText(std::string_view text, const SettingFields& fields) {
    const std::vector<std::string_view> lines = SplitLines(text);
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        const auto value = FindValue(lines, kSettingRows[k].key);
        if (!value || value->empty()) {
            continue;
        }
        if (auto* i = std::get_if<std::int32_t*>(&fields[k]); i && *i) {
            **i = StrToInt(*value);
        } else if (auto* b = std::get_if<bool*>(&fields[k]); b && *b) {
            **b = StrToBool(*value);
        }
    }
}

std::string FormatSettingsText(const SettingFields& fields) {
    std::string text;
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        text += kSettingRows[k].key;
        text += '=';
        if (auto* i = std::get_if<std::int32_t*>(&fields[k]); i && *i) {
            text += std::to_string(**i);
        } else if (auto* b = std::get_if<bool*>(&fields[k]); b && *b) {
            text += **b ? "True" : "False";
        }
        text += "\r\n";
    }
    return text;
}

void ApplyDefaults(const SettingFields& fields, std::int32_t wxDefault) {
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        const std::int32_t value = k == kWxIndex ? wxDefault : kSettingRows[k].defaultValue;
        if (auto* i = std::get_if<std::int32_t*>(&fields[k]); i && *i) {
            **i = value;
        } else if (auto* b = std::get_if<bool*>(&fields[k]); b && *b) {
            **b = value != 0;
        }
    }
}

void CopySettings(const SettingFields& from, const SettingFields& to) {
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        auto* fi = std::get_if<std::int32_t*>(&from[k]);
        auto* ti = std::get_if<std::int32_t*>(&to[k]);
        if (fi && ti && *fi && *ti) {
            **ti = **fi;
        }
        auto* fb = std::get_if<bool*>(&from[k]);
        auto* tb = std::get_if<bool*>(&to[k]);
        if (fb && tb && *fb && *tb) {
            **tb = **fb;
        }
    }
}

std::string ExtractDir(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string SettingsFilePath(std::string_view exePath, std::string_view userName) {
    return Framed(ExtractDir(exePath) + "\\PopyoE_", userName, ".dat");
}

std::string IntegerError(std::string_view value) {
    return Framed("'", value, "' is not a valid integer value");
}
std::string BooleanError(std::string_view value) {
    return Framed("'", value, "' is not a valid boolean value");
}
std::string OpenError(std::string_view path, Language language) {
    return Say(EngineText::OpenError, language, path);
}
std::string CreateError(std::string_view path, Language language) {
    return Say(EngineText::CreateError, language, path);
}

}  // namespace popyo
