// What ships beside the programs must agree with them: the example rules file is one the tray
// reads without a fault, and the README names the hotkeys the tray really registers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "frontends/tray/Hotkeys.h"
#include "frontends/tray/RulesFile.h"

namespace popyo::tray {
namespace {

std::string ReadShipped(const char* name) {
    std::ifstream in(std::string(POPYO_PACKAGING_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ShippedRulesExample, ParsesWithTheDefaultHotkeysAndARuleOfEachKind) {
    const std::string text = ReadShipped("rules-example.toml");
    ASSERT_FALSE(text.empty());
    const RulesParse parsed = ParseRulesFile(text);
    ASSERT_TRUE(parsed.config.has_value()) << FormatRulesError("rules-example.toml", parsed.error);
    EXPECT_EQ(parsed.config->hotkeys, DefaultHotkeys());
    EXPECT_EQ(parsed.config->engineOptions, TrayOptionDefaults()) << "it shows the defaults";

    bool exe = false, cls = false, title = false, part = false;
    for (const frontend::Rule& rule : parsed.config->rules) {
        exe |= rule.match.exe.has_value();
        cls |= rule.match.className.has_value();
        title |= rule.match.title.has_value();
        part |= rule.match.titleContains.has_value();
    }
    EXPECT_TRUE(exe && cls && title && part) << "the example shows every way to name a window";

    // A drop-down terminal: its own key, started when none runs, on the cursor's monitor.
    ASSERT_EQ(parsed.config->summons.size(), 1u);
    const Summon& terminal = parsed.config->summons[0];
    EXPECT_EQ(parsed.config->rules[terminal.rule].match.exe, "WindowsTerminal.exe");
    EXPECT_EQ(parsed.config->rules[terminal.rule].edge, edTop);
    ASSERT_TRUE(terminal.run.has_value());
    EXPECT_EQ(terminal.run->exe, "wt.exe");
    EXPECT_EQ(terminal.monitor, SummonMonitor::Cursor);
}

TEST(ShippedReadme, NamesEveryDefaultHotkey) {
    const std::string readme = ReadShipped("README.txt");
    const HotkeySet defaults = DefaultHotkeys();
    for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
        ASSERT_TRUE(defaults[i].has_value());
        const std::string keys = FormatHotkey(*defaults[i]);
        EXPECT_NE(readme.find(keys), std::string::npos) << keys;
    }
}

}  // namespace
}  // namespace popyo::tray
