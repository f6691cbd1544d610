#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tests/support/SettingsFixture.h"

namespace popyo {
namespace {

using test::kDefaultSettingsText;

// A full set of settings, as the engine holds them, for the text rules alone.
struct Values {
    std::int32_t wx = 0, mv = 0, mgn = 0, mgn2 = 0;
    bool actwin = false, hiact = false, outwin = false;
    std::int32_t disableKey = 0;
    bool autoRestore = false, mouseDownDisable = false;
    std::int32_t onTime = 0, offTime = 0;
    bool outCheck = false, switchOnTime = false, autoActivate = false, changeStyle = false;

    Values() { ApplyDefaults(Fields(), 195); }
    SettingFields Fields() {
        return {&wx,         &mv,      &mgn,        &mgn2,         &actwin,
                &hiact,      &outwin,  &disableKey, &autoRestore,  &mouseDownDisable,
                &onTime,     &offTime, &outCheck,   &switchOnTime, &autoActivate,
                &changeStyle};
    }
    friend bool operator==(const Values&, const Values&) = default;
};

std::string ErrorOf(auto&& f) {
    try {
        f();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "<no error>";
}

// --- integer conversion ------------------------------------------------------------------

struct IntCase {
    const char* text;
    std::optional<std::int32_t> value;  // nullopt: a conversion error
};

constexpr IntCase kIntCases[] = {
    {"20", 20},
    {" 20", 20},
    {"   -7", -7},
    {"20 ", std::nullopt},
    {"2 0", std::nullopt},
    {"+5", 5},
    {"-1", -1},
    {"-0", 0},
    {"+-5", std::nullopt},
    {"- 5", std::nullopt},
    {"$20", 32},
    {"x1F", 31},
    {"X1f", 31},
    {"0x1F", 31},
    {"0X1f", 31},
    {"$", std::nullopt},
    {"0x", std::nullopt},
    {"$1G", std::nullopt},
    {"", std::nullopt},
    {" ", std::nullopt},
    {"abc", std::nullopt},
    {"1.5", std::nullopt},
    {"2147483647", 2147483647},
    {"2147483648", std::nullopt},
    {"-2147483648", INT32_MIN},
    {"-2147483649", std::nullopt},
    {"99999999999999999999", std::nullopt},
    // Hexadecimal may use all 32 bits, as the runtime's own conversion does.
    {"$FFFFFFFF", -1},
    {"$80000000", INT32_MIN},
    {"$100000000", std::nullopt},
};

TEST(StrToInt, ConvertsOrRejects) {
    for (const IntCase& c : kIntCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        if (c.value) {
            EXPECT_EQ(StrToInt(c.text), *c.value);
        } else {
            EXPECT_EQ(ErrorOf([&] { StrToInt(c.text); }),
                      std::string("'") + c.text + "' is not a valid integer value");
        }
    }
}

// --- boolean conversion ------------------------------------------------------------------

struct BoolCase {
    const char* text;
    std::optional<bool> value;
};

constexpr BoolCase kBoolCases[] = {
    {"0", false},          {"false", false},     {"False", false},
    {"FALSE", false},      {"0.0", false},       {"1", true},
    {"-1", true},          {"TRUE", true},       {"true", true},
    {"1.5", true},         {"2e3", true},        {"0.5", true},
    {"yes", std::nullopt}, {"", std::nullopt},   {"True ", std::nullopt},
    {"1x", std::nullopt},  {"2e", std::nullopt},
};

TEST(StrToBool, ConvertsOrRejects) {
    for (const BoolCase& c : kBoolCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        if (c.value) {
            EXPECT_EQ(StrToBool(c.text), *c.value);
        } else {
            EXPECT_EQ(ErrorOf([&] { StrToBool(c.text); }),
                      std::string("'") + c.text + "' is not a valid boolean value");
        }
    }
}

// --- reading the file --------------------------------------------------------------------

struct MoveStepCase {
    const char* name;
    const char* text;
    std::int32_t mv;
};

constexpr MoveStepCase kMoveStepCases[] = {
    {"plain", "mv=20", 20},
    {"key in any case", "MV=20", 20},
    {"leading blanks of the value", "mv= 20", 20},
    {"empty value keeps the default", "mv=", 150},
    {"blank before the = is part of the key", "mv =5", 150},
    {"blank before the key is part of it", " mv=5", 150},
    {"first line wins", "mv=20\r\nmv=30", 20},
    {"first line wins even when empty", "mv=\r\nmv=30", 150},
    {"hexadecimal", "mv=$20", 32},
    {"line without = is ignored", "mv\r\nmv=40", 40},
    {"longer key is another key", "mvx=5\r\nmv=41", 41},
    {"CR LF", "wx=1\r\nmv=42\r\nmgn=3", 42},
    {"lone CR", "wx=1\rmv=43\rmgn=3", 43},
    {"lone LF", "wx=1\nmv=44\nmgn=3", 44},
    {"last line without line end", "mgn=3\r\nmv=45", 45},
    {"file-sized value", "mv=1500", 1500},
    {"empty file", "", 150},
};

TEST(ParseSettingsText, MoveStepRules) {
    for (const MoveStepCase& c : kMoveStepCases) {
        SCOPED_TRACE(c.name);
        Values v;
        ParseSettingsText(c.text, v.Fields());
        EXPECT_EQ(v.mv, c.mv);
    }
}

TEST(ParseSettingsText, EveryLineEndEndsALine) {
    Values v;
    ParseSettingsText("wx=1\r\nmv=2\rmgn=3\nmgn2=4\r\r\nactwin=False\n\nhiact=0", v.Fields());
    EXPECT_EQ(v.wx, 1);
    EXPECT_EQ(v.mv, 2);
    EXPECT_EQ(v.mgn, 3);
    EXPECT_EQ(v.mgn2, 4);
    EXPECT_FALSE(v.actwin);
    EXPECT_FALSE(v.hiact);
}

TEST(ParseSettingsText, ReadsEveryKeyAndIgnoresUnknownLines) {
    Values v;
    ParseSettingsText(
        "; comment\r\n=7\r\ncolor=red\r\nchangepopyonstyle=TRUE\r\nWX=-5\r\nmv=9\r\nmgn=2\r\n"
        "mgn2=0\r\nactwin=0\r\nhiact=false\r\noutwin=False\r\ndisablekey=16\r\n"
        "autorestore=0\r\nmousedowndisable=0\r\nontime=0\r\nofftime=99\r\noutcheck=0\r\n"
        "switchontime=0\r\nautoactivate=0\r\n",
        v.Fields());
    Values expected;
    expected.wx = -5;
    expected.mv = 9;
    expected.mgn = 2;
    expected.mgn2 = 0;
    expected.actwin = expected.hiact = expected.outwin = false;
    expected.disableKey = 16;
    expected.autoRestore = expected.mouseDownDisable = false;
    expected.onTime = 0;
    expected.offTime = 99;
    expected.outCheck = expected.switchOnTime = expected.autoActivate = false;
    expected.changeStyle = true;
    EXPECT_EQ(v, expected);
}

// Keys are taken in the file's table order, not in the order of its lines: a failing key
// stops every key after it in the table, wherever its line stands.
TEST(ParseSettingsText, ErrorStopsAtTheFailingKey) {
    Values v;
    const std::string error = ErrorOf([&] {
        ParseSettingsText("OnTime=3\r\nmgn=abc\r\nwx=7\r\nmgn2=4\r\nmv=20\r\n", v.Fields());
    });
    EXPECT_EQ(error, "'abc' is not a valid integer value");
    EXPECT_EQ(v.wx, 7);
    EXPECT_EQ(v.mv, 20);
    EXPECT_EQ(v.mgn, 1);
    EXPECT_EQ(v.mgn2, 15);
    EXPECT_EQ(v.onTime, 10);
}

TEST(ParseSettingsText, ConversionErrorsNameTheValue) {
    struct Case {
        const char* text;
        const char* error;
    };
    constexpr Case kCases[] = {
        {"mv=20 ", "'20 ' is not a valid integer value"},
        {"mgn2=1=2", "'1=2' is not a valid integer value"},
        {"actwin=yes", "'yes' is not a valid boolean value"},
        {"DisableKey=$", "'$' is not a valid integer value"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        Values v;
        EXPECT_EQ(ErrorOf([&] { ParseSettingsText(c.text, v.Fields()); }), c.error);
    }
}

// --- writing the file --------------------------------------------------------------------

TEST(FormatSettingsText, DefaultsGiveTheSixteenLineFile) {
    Values v;
    EXPECT_EQ(FormatSettingsText(v.Fields()), kDefaultSettingsText);
}

TEST(FormatSettingsText, WritesDecimalAndTrueFalseAndReadsBack) {
    Values v;
    v.wx = -2147483647 - 1;
    v.mv = 1500;
    v.mgn2 = -5;
    v.actwin = false;
    v.changeStyle = true;
    const std::string text = FormatSettingsText(v.Fields());
    EXPECT_NE(text.find("wx=-2147483648\r\nmv=1500\r\nmgn=1\r\nmgn2=-5\r\nactwin=False\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nChangePopyonStyle=True\r\n"), std::string::npos);

    Values back;
    ParseSettingsText(text, back.Fields());
    EXPECT_EQ(back, v);
}

// --- the file's path ----------------------------------------------------------------------

TEST(ExtractDir, EverythingBeforeTheLastBackslash) {
    struct Case {
        const char* path;
        const char* dir;
    };
    constexpr Case kCases[] = {
        {"C:\\Program Files\\Popyonn\\PopyonnEngine.exe", "C:\\Program Files\\Popyonn"},
        {"C:\\PopyonnEngine.exe", "C:"},
        {"\\\\server\\share\\e.exe", "\\\\server\\share"},
        {"C:\\dir\\", "C:\\dir"},
        {"PopyonnEngine.exe", ""},
        {"", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractDir(c.path), c.dir);
    }
}

TEST(SettingsFilePath, BesideTheExecutableNamedAfterTheUser) {
    EXPECT_EQ(SettingsFilePath("C:\\Program Files\\Popyonn\\PopyonnEngine.exe", "tester"),
              "C:\\Program Files\\Popyonn\\PopyoE_tester.dat");
    EXPECT_EQ(SettingsFilePath("D:\\PopyonnEngine.exe", ""), "D:\\PopyoE_.dat");
    EXPECT_EQ(SettingsFilePath("D:\\tools\\e.exe", "山田"), "D:\\tools\\PopyoE_山田.dat");
}

}  // namespace
}  // namespace popyo
