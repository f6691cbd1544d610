// The engine's texts in two languages: every text has both, the Japanese ones are the
// engine's texts of old to the byte, and the engine speaks what Windows or a front-end chose.
#include "engine/EngineTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

constexpr std::uint16_t kJapaneseUi = 0x0411;
constexpr std::uint16_t kEnglishUi = 0x0409;

TEST(Language, ChosenByTheFrontEndElseByWindows) {
    struct Case {
        std::int32_t choice;
        std::uint16_t ui;
        Language language;
    };
    constexpr Case kCases[] = {
        {lnFollowWindows, kJapaneseUi, Language::Japanese},
        {lnFollowWindows, kEnglishUi, Language::English},
        {lnFollowWindows, 0x0407, Language::English},   // German
        {lnFollowWindows, 0x0011, Language::Japanese},  // Japanese, no region
        {lnFollowWindows, 0x0404, Language::English},   // Chinese (Taiwan)
        {lnEnglish, kJapaneseUi, Language::English},
        {lnJapanese, kEnglishUi, Language::Japanese},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ChooseLanguage(c.choice, c.ui), c.language) << c.choice << " " << c.ui;
    }
}

// Japanese users, and peers that look for these texts, see exactly what they always saw.
TEST(EngineTexts, JapaneseAreTheEnginesOwnToTheByte) {
    const std::vector<std::pair<EngineText, std::string>> kOld = {
        {EngineText::ApplicationTitle, "Qovポピョンと！Engine"},
        {EngineText::SecondInstanceNotice, "二重起動は出来ません。"},
        {EngineText::SecondInstanceCaption, "QovPopyonEngine"},
        {EngineText::OpenError, "ファイル %s は開けません"},
        {EngineText::CreateError, "ファイル %s を作成できません"},
        {EngineText::DialogCaption, "Qovポピョンと！設定"},
        {EngineText::EdgeWidthLabel, "画面端でポピョンと！する幅"},
        {EngineText::EdgeWidthTip,
         "画面端から、この値の範囲へカーソルを持っていったときに、ポピョンと！します。（１～９９"
         "）"},
        {EngineText::OnTimeLabel, "画面端でポピョンと！するまでのタイムラグ"},
        {EngineText::OnTimeTip,
         "画面端で、しばらく待たないと、ポピョンと！しないようにできます。（０～９９（1=50ms））"},
        {EngineText::SwitchOnTimeBox, "同じ方向でのウインドウ切り替えは、すぐに行う"},
        {EngineText::SwitchOnTimeTip,
         "同じ方向のウインドウを、ポピョンと！するとき（画面端を複数回つつくとき）は、タイムラグを"
         "無視できます。"},
        {EngineText::ActWinBox, "アクティブになったら、ポピョンと！"},
        {EngineText::ActWinTip, "ウインドウがアクティブになったときに、ポピョンと！します。"},
        {EngineText::MoveStepLabel, "ポピョンと！する速度"},
        {EngineText::MoveStepTip,
         "ポピョンと！出てくる速度と、しまう速度です。大きいほど速いです。（１０～９９９）"},
        {EngineText::HiActBox, "非アクティブになったとき、ウインドウをしまう。"},
        {EngineText::HiActTip,
         "ポピョンと！しているウインドウが、アクティブでなくなったとき、自動的にしまいます。"},
        {EngineText::OutWinBox, "ウインドウから、出たとき、ウインドウをしまう。"},
        {EngineText::OutWinTip,
         "マウスカーソルがポピョンと！しているウインドウから、はみ出たときに、ウインドウをしまいま"
         "す。"},
        {EngineText::OutMarginLabel, "ウインドウから出たと判断するときのマージン"},
        {EngineText::OutMarginTip,
         "マウスカーソルが、ウインドウからはみ出したとみなすマージンです。ウインドウの外側に、少し"
         "余裕を持たせます。（０～９９）"},
        {EngineText::OffTimeLabel, "ウインドウから出たと判断するタイムラグ"},
        {EngineText::OffTimeTip,
         "マウスカーソルがウインドウからはみ出ても、しばらく待たないと、格納しないようにできます。"
         "（０～９９（1=50ms））"},
        {EngineText::AutoRestoreBox, "最小化している場合、自動で元のサイズに戻る"},
        {EngineText::AutoRestoreTip,
         "チェックすると最小化していてもポピョンと！するときに元のサイズに戻ります。チェックしてい"
         "ない場合は、最小化していた場合は、ポピョンと！しません。"},
        {EngineText::MouseDownDisableBox, "マウスボタンを押してる間は、ポピョンと！しない"},
        {EngineText::MouseDownDisableTip,
         "マウスボタンを押している場合は、ポピョンと！しなくなります。"},
        {EngineText::AutoActivateBox, "ポピョンと！したとき、アクティブになる"},
        {EngineText::AutoActivateTip,
         "ポピョンと！したとき、ウインドウがアクティブになります。格納後は、ポピョンと！する前のウ"
         "インドウがアクティブになります。"},
        {EngineText::ChangePopyonStyleBox, "元の位置までポピョンと！できるようにする"},
        {EngineText::ChangePopyonStyleTip,
         "登録したウインドウを、画面の端以外の場所へ移動すると、そこまでポピョンと！するようになり"
         "ます。画面の端に移動すると、画面の端でポピョンと！します。"},
        {EngineText::DisableKeyLabel, "Disableキー（コード）"},
        {EngineText::DisableKeyTip,
         "一時的にポピョンと！しないようにするキーです。ワンキー設定です。"},
        {EngineText::OutCheckBox, "ウインドウから出たときに出たと判断する。"},
        {EngineText::OutCheckTip,
         "チェックすると、カーソルが、ウインドウ内から、ウインドウ外に出たときに出たという判断をし"
         "ます。はじめからウインドウ外にある場合は、出たという判断にはなりません。"},
        {EngineText::OkButton, "OK"},
        {EngineText::CancelButton, "キャンセル"},
    };
    ASSERT_EQ(kOld.size(), static_cast<std::size_t>(EngineText::Count));
    for (const auto& [id, old] : kOld) {
        EXPECT_EQ(Say(id, Language::Japanese), old) << static_cast<int>(id);
        EXPECT_FALSE(Say(id, Language::English).empty()) << static_cast<int>(id);
    }
}

// English for everything the dialog and the notices show, and no Japanese left in it.
TEST(EngineTexts, EnglishHasNoJapanese) {
    for (int i = 0; i < static_cast<int>(EngineText::Count); ++i) {
        const std::string_view en = Say(static_cast<EngineText>(i), Language::English);
        for (const unsigned char c : en) {
            EXPECT_LT(c, 0x80) << "text " << i << ": " << en;
        }
    }
}

// On an English Windows the engine's notice, error texts, error box caption and dialog are
// English; a front-end's choice overrides Windows; a dialog already open keeps its language.
TEST(EngineTexts, TheEngineSpeaksWindowsLanguageUnlessToldOtherwise) {
    SimDesktop sim;
    sim.uiLanguage = kEnglishUi;
    sim.anotherInstanceHoldsLock = true;
    TformPopyonnEngine refused(sim);
    refused.FormCreate();
    ASSERT_EQ(sim.notices.size(), 1u);
    EXPECT_EQ(sim.notices[0].first, "PopyonnEngine is already running.");
    EXPECT_EQ(sim.applicationTitle, "PopyonnEngine");

    EngineRig rig;
    rig.sim.uiLanguage = kEnglishUi;
    EXPECT_EQ(rig.engine.CurrentLanguage(), Language::English);
    std::vector<Language> seen;
    rig.settingsDialogScript = [&](TForm2& dialog) {
        seen.push_back(dialog.Lang);
        rig.engine.Dispatch(EM_SETOPTION, opLanguage, lnJapanese);
        seen.push_back(dialog.Lang);
        dialog.cmdCancelClick();
    };
    rig.engine.Dispatch(EM_SETTINGS, 0, 0);
    rig.engine.Dispatch(EM_SETTINGS, 0, 0);
    EXPECT_EQ(seen, (std::vector<Language>{Language::English, Language::English, Language::Japanese,
                                           Language::Japanese}));
    EXPECT_EQ(rig.sim.applicationTitle, "Qovポピョンと！Engine");
    EXPECT_EQ(CreateError("C:\\a.dat", Language::English), "Cannot create file C:\\a.dat");
}

}  // namespace
}  // namespace popyo::test
