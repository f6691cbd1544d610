// Any bytes as the settings file. Reading it must end in one of two ways: the values are
// read, or a SettingsError names the failure in one of the four texts the user sees. What
// the values and the error must be is worked out here independently of the reader (the
// same line and key rules, integers through std::from_chars) and compared exactly; every
// other ending (another exception, a crash, undefined behaviour) is a finding.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/frmPopyonnEngine.h"
#include "platform/SimDesktop.h"
#include "settings/SettingsStore.h"

namespace popyo::fuzz {
namespace {

using Snapshot = std::array<std::int32_t, kSettingCount>;

// Bytes outside printable ASCII as \xNN, so that a report shows what the file held.
std::string Escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

[[noreturn]] void Fail(std::string_view what, std::string_view detail) {
    const std::string shown = Escaped(detail);
    std::fprintf(stderr, "settings_fuzz: %.*s: [%s]\n", static_cast<int>(what.size()), what.data(),
                 shown.c_str());
    std::abort();
}

// An error's text travels as a C string (what(), the error box), so a value with a NUL byte
// shows only up to it.
std::string AsShown(const std::string& text) {
    return text.c_str();
}

// A full set of settings held by value, so a reader can be pointed at it.
struct Values {
    std::array<std::int32_t, kSettingCount> ints{};
    std::array<bool, kSettingCount> bools{};

    SettingFields Fields() {
        SettingFields fields;
        for (std::size_t k = 0; k < kSettingCount; ++k) {
            if (kSettingRows[k].kind == SettingKind::Integer) {
                fields[k] = &ints[k];
            } else {
                fields[k] = &bools[k];
            }
        }
        return fields;
    }
};

Snapshot Read(const SettingFields& fields) {
    Snapshot s{};
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        if (auto* i = std::get_if<std::int32_t*>(&fields[k])) {
            s[k] = **i;
        } else {
            s[k] = *std::get<bool*>(fields[k]) ? 1 : 0;
        }
    }
    return s;
}

void Write(const Snapshot& s, const SettingFields& fields) {
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        if (auto* i = std::get_if<std::int32_t*>(&fields[k])) {
            **i = s[k];
        } else {
            *std::get<bool*>(fields[k]) = s[k] != 0;
        }
    }
}

// Starting values no settings line is likely to produce, so that a key written by mistake
// after a conversion error shows.
Snapshot Sentinels() {
    Snapshot s{};
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        s[k] = kSettingRows[k].kind == SettingKind::Integer ? 0x5EED0000 + static_cast<int>(k)
                                                            : static_cast<int>(k % 2);
    }
    return s;
}

// --- the file rules, restated ----------------------------------------------------------

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return lines;
}

bool SameAscii(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> ValueOf(const std::vector<std::string_view>& lines,
                                        std::string_view key) {
    for (std::string_view line : lines) {
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && SameAscii(line.substr(0, eq), key)) {
            return line.substr(eq + 1);
        }
    }
    return std::nullopt;
}

// Leading blanks, a sign, then decimal digits within the signed range, or "$", "x", "X",
// "0x", "0X" and up to 32 bits of hexadecimal, which may wrap to a negative value.
std::optional<std::int32_t> IntegerOf(std::string_view s) {
    s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && (s[0] == '$' || s[0] == 'x' || s[0] == 'X')) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    // from_chars takes no sign of its own: a second sign is not a digit and fails below.
    if (s.empty() || s[0] == '-' || s[0] == '+') {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size()) {
        return std::nullopt;
    }
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFu) {
            return std::nullopt;
        }
        const auto bits = static_cast<std::uint32_t>(magnitude);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    if (magnitude > (negative ? 0x80000000u : 0x7FFFFFFFu)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                              : static_cast<std::int64_t>(magnitude));
}

enum class BoolVerdict { False, True, Error, ReaderDecides };

// True and False in any case, and whole decimal numbers, are certain; so is text with a
// character no number can hold. Fractions and exponents are the reader's choice.
BoolVerdict BooleanOf(std::string_view s) {
    if (SameAscii(s, "True")) {
        return BoolVerdict::True;
    }
    if (SameAscii(s, "False")) {
        return BoolVerdict::False;
    }
    std::string_view digits = s.substr(std::min(s.find_first_not_of(' '), s.size()));
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        digits.remove_prefix(1);
    }
    if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos) {
        return digits.find_first_not_of('0') == std::string_view::npos ? BoolVerdict::False
                                                                       : BoolVerdict::True;
    }
    if (s.empty() || s.find_first_not_of(" +-.0123456789eE") != std::string_view::npos) {
        return BoolVerdict::Error;
    }
    return BoolVerdict::ReaderDecides;
}

struct Outcome {
    Snapshot values{};
    std::optional<std::string> error;
};

// What reading the text over the given values must give: keys in table order, the first
// line of a key wins, an empty value keeps the old one, and the first conversion error
// stops the reading with that value quoted.
Outcome Expected(std::string_view text, const Snapshot& before) {
    Outcome out{before, std::nullopt};
    const auto lines = Lines(text);
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        const auto value = ValueOf(lines, kSettingRows[k].key);
        if (!value || value->empty()) {
            continue;
        }
        if (kSettingRows[k].kind == SettingKind::Integer) {
            if (const auto v = IntegerOf(*value)) {
                out.values[k] = *v;
                continue;
            }
            out.error = AsShown(IntegerError(*value));
            return out;
        }
        BoolVerdict verdict = BooleanOf(*value);
        if (verdict == BoolVerdict::ReaderDecides) {
            try {
                verdict = StrToBool(*value) ? BoolVerdict::True : BoolVerdict::False;
            } catch (const SettingsError&) {
                verdict = BoolVerdict::Error;
            }
        }
        if (verdict == BoolVerdict::Error) {
            out.error = AsShown(BooleanError(*value));
            return out;
        }
        out.values[k] = verdict == BoolVerdict::True ? 1 : 0;
    }
    return out;
}

void Compare(std::string_view where,
             const Outcome& want,
             const Snapshot& got,
             const std::optional<std::string>& gotError) {
    if (want.error != gotError) {
        std::string detail = "want ";
        detail += want.error.value_or("<no error>");
        detail += ", got ";
        detail += gotError.value_or("<no error>");
        Fail(where, detail);
    }
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        if (want.values[k] != got[k]) {
            std::string detail(kSettingRows[k].key);
            detail +=
                ": want " + std::to_string(want.values[k]) + ", got " + std::to_string(got[k]);
            if (gotError) {
                detail += " (after " + *gotError + ")";
            }
            Fail(where, detail);
        }
    }
}

// --- the two readers -------------------------------------------------------------------

void ParseDirectly(std::string_view text) {
    Values values;
    const Snapshot before = Sentinels();
    Write(before, values.Fields());
    std::optional<std::string> error;
    try {
        ParseSettingsText(text, values.Fields());
    } catch (const SettingsError& e) {
        error = e.what();
    } catch (const std::exception& e) {
        Fail("ParseSettingsText threw something else", e.what());
    }
    Compare("ParseSettingsText", Expected(text, before), Read(values.Fields()), error);
}

// Saving what was read and reading it back gives the same values and the same file.
void RoundTrip(const SettingFields& fields) {
    const std::string saved = FormatSettingsText(fields);
    Values again;
    Write(Sentinels(), again.Fields());
    try {
        ParseSettingsText(saved, again.Fields());
    } catch (const std::exception& e) {
        Fail("a saved file does not read back", e.what());
    }
    if (Read(again.Fields()) != Read(fields)) {
        Fail("a saved file reads back other values", saved);
    }
    if (FormatSettingsText(again.Fields()) != saved) {
        Fail("saving the values read back gives another file", saved);
    }
}

// The engine's LoadSettings over its start-up defaults, on a simulated desktop's file.
void LoadThroughEngine(std::string_view text) {
    SimDesktop sim;
    TformPopyonnEngine engine(sim);
    const SettingFields fields = engine.SettingsFields();
    ApplyDefaults(fields, 195);
    const Snapshot before = Read(fields);
    const std::string path = SettingsFilePath(sim.exePath, sim.userName.value_or(""));
    sim.files[path] = std::string(text);

    std::optional<std::string> error;
    try {
        if (!engine.LoadSettings()) {
            Fail("LoadSettings found no file", path);
        }
    } catch (const SettingsError& e) {
        error = e.what();
    } catch (const std::exception& e) {
        Fail("LoadSettings threw something else", e.what());
    }
    Compare("LoadSettings", Expected(text, before), Read(fields), error);
    if (sim.files.at(path) != text) {
        Fail("LoadSettings changed the file", path);
    }
    if (!error) {
        RoundTrip(fields);
    }
}

// No file changes nothing and answers false; a file that cannot be opened names its path.
void FileFailures() {
    SimDesktop sim;
    TformPopyonnEngine engine(sim);
    const SettingFields fields = engine.SettingsFields();
    ApplyDefaults(fields, 195);
    const Snapshot before = Read(fields);
    if (engine.LoadSettings() || Read(fields) != before) {
        Fail("LoadSettings without a file", "answered true or changed a value");
    }
    const std::string path = SettingsFilePath(sim.exePath, sim.userName.value_or(""));
    sim.files[path] = "mv=20\r\n";
    sim.unreadable.insert(path);
    try {
        engine.LoadSettings();
        Fail("an unreadable file", "was read");
    } catch (const SettingsError& e) {
        if (e.what() != OpenError(path, engine.CurrentLanguage()) || Read(fields) != before) {
            Fail("an unreadable file", e.what());
        }
    }
}

}  // namespace
}  // namespace popyo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    popyo::fuzz::ParseDirectly(text);
    popyo::fuzz::LoadThroughEngine(text);
    if (size == 0) {
        popyo::fuzz::FileFailures();
    }
    return 0;
}
