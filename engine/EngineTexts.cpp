#include "engine/EngineTexts.h"

#include <cstddef>

namespace popyo {

namespace {

// In the order of EngineText. The English texts fit the controls the Japanese ones were
// placed for, in the dialog's font, at any scale.
constexpr TextRow<EngineText> kRows[] = {
    {EngineText::ApplicationTitle, {"PopyonnEngine", "Qovポピョンと！Engine"}},
    {EngineText::SecondInstanceNotice,
     {"PopyonnEngine is already running.", "二重起動は出来ません。"}},
    {EngineText::SecondInstanceCaption, {"PopyonnEngine", "QovPopyonEngine"}},
    {EngineText::OpenError, {"Cannot open file %s", "ファイル %s は開けません"}},
    {EngineText::CreateError, {"Cannot create file %s", "ファイル %s を作成できません"}},
    {EngineText::DialogCaption, {"PopyonnEngine Settings", "Qovポピョンと！設定"}},
    {EngineText::EdgeWidthLabel, {"Edge zone width", "画面端でポピョンと！する幅"}},
    {EngineText::EdgeWidthTip,
     {"The cursor this close to a screen edge pops a window out there. (1-99 pixels)",
      "画面端から、この値の範囲へカーソルを持っていったときに、ポピョンと！します。（１～９９）"}},
    {EngineText::OnTimeLabel,
     {"Wait at the edge before popping", "画面端でポピョンと！するまでのタイムラグ"}},
    {EngineText::OnTimeTip,
     {"How long the cursor rests at an edge before a window pops out. (0-99, 1 = 50 ms)",
      "画面端で、しばらく待たないと、ポピョンと！しないようにできます。（０～９９（1=50ms））"}},
    {EngineText::SwitchOnTimeBox,
     {"Next window at the same edge at once", "同じ方向でのウインドウ切り替えは、すぐに行う"}},
    {EngineText::SwitchOnTimeTip,
     {"Pushing the same edge again pops its next window out without the wait.",
      "同じ方向のウインドウを、ポピョンと！するとき（画面端を複数回つつくとき）は、タイムラグを無"
      "視できます。"}},
    {EngineText::ActWinBox, {"Pop out when activated", "アクティブになったら、ポピョンと！"}},
    {EngineText::ActWinTip,
     {"A tucked-away window pops out when it becomes the active window.",
      "ウインドウがアクティブになったときに、ポピョンと！します。"}},
    {EngineText::MoveStepLabel, {"Slide speed", "ポピョンと！する速度"}},
    {EngineText::MoveStepTip,
     {"Pixels a window moves in each step of a slide; larger is faster. (10-999)",
      "ポピョンと！出てくる速度と、しまう速度です。大きいほど速いです。（１０～９９９）"}},
    {EngineText::HiActBox,
     {"Tuck away a window that loses focus", "非アクティブになったとき、ウインドウをしまう。"}},
    {EngineText::HiActTip,
     {"A popped-out window tucks itself away when it stops being the active window.",
      "ポピョンと！しているウインドウが、アクティブでなくなったとき、自動的にしまいます。"}},
    {EngineText::OutWinBox,
     {"Tuck away a window the cursor leaves", "ウインドウから、出たとき、ウインドウをしまう。"}},
    {EngineText::OutWinTip,
     {"A popped-out window tucks itself away when the cursor leaves it.",
      "マウスカーソルがポピョンと！しているウインドウから、はみ出たときに、ウインドウをしまいます"
      "。"}},
    {EngineText::OutMarginLabel,
     {"Margin around the window", "ウインドウから出たと判断するときのマージン"}},
    {EngineText::OutMarginTip,
     {"Room around a window within which the cursor still counts as inside. (0-99 pixels)",
      "マウスカーソルが、ウインドウからはみ出したとみなすマージンです。ウインドウの外側に、少し余"
      "裕を持たせます。（０～９９）"}},
    {EngineText::OffTimeLabel,
     {"Wait outside before tucking away", "ウインドウから出たと判断するタイムラグ"}},
    {EngineText::OffTimeTip,
     {"How long the cursor stays outside before the window tucks away. (0-99, 1 = 50 ms)",
      "マウスカーソルがウインドウからはみ出ても、しばらく待たないと、格納しないようにできます。（"
      "０～９９（1=50ms））"}},
    {EngineText::AutoRestoreBox,
     {"Restore a minimized window when it pops", "最小化している場合、自動で元のサイズに戻る"}},
    {EngineText::AutoRestoreTip,
     {"A minimized window is restored when it pops out. Without this, a minimized window does "
      "not pop out.",
      "チェックすると最小化していてもポピョンと！するときに元のサイズに戻ります。チェックしていな"
      "い場合は、最小化していた場合は、ポピョンと！しません。"}},
    {EngineText::MouseDownDisableBox,
     {"No popping while a mouse button is down", "マウスボタンを押してる間は、ポピョンと！しない"}},
    {EngineText::MouseDownDisableTip,
     {"Nothing pops out while a mouse button is held down.",
      "マウスボタンを押している場合は、ポピョンと！しなくなります。"}},
    {EngineText::AutoActivateBox,
     {"Activate a window when it pops out", "ポピョンと！したとき、アクティブになる"}},
    {EngineText::AutoActivateTip,
     {"A window that pops out becomes active; once it is tucked away, the window used before "
      "it becomes active again.",
      "ポピョンと！したとき、ウインドウがアクティブになります。格納後は、ポピョンと！する前のウイ"
      "ンドウがアクティブになります。"}},
    {EngineText::ChangePopyonStyleBox,
     {"Pop out to where the window was moved", "元の位置までポピョンと！できるようにする"}},
    {EngineText::ChangePopyonStyleTip,
     {"Move a popped-out window away from the edge and it pops out to that place from then on; "
      "move it back to the edge and it pops out at the edge.",
      "登録したウインドウを、画面の端以外の場所へ移動すると、そこまでポピョンと！するようになりま"
      "す。画面の端に移動すると、画面の端でポピョンと！します。"}},
    {EngineText::DisableKeyLabel, {"Pause key (code)", "Disableキー（コード）"}},
    {EngineText::DisableKeyTip,
     {"While this key is held down nothing pops out. Press a key here to choose it.",
      "一時的にポピョンと！しないようにするキーです。ワンキー設定です。"}},
    {EngineText::OutCheckBox,
     {"Only when the cursor crosses out of it", "ウインドウから出たときに出たと判断する。"}},
    {EngineText::OutCheckTip,
     {"A leave counts only when the cursor moves from inside the window to outside it; a cursor "
      "that was outside from the start does not count.",
      "チェックすると、カーソルが、ウインドウ内から、ウインドウ外に出たときに出たという判断をしま"
      "す。はじめからウインドウ外にある場合は、出たという判断にはなりません。"}},
    {EngineText::OkButton, {"OK", "OK"}},
    {EngineText::CancelButton, {"Cancel", "キャンセル"}},
};

static_assert(EveryTextInOrder(kRows), "every text has its row, in order");

}  // namespace

TextPair EngineTextPair(EngineText id) {
    return kRows[static_cast<std::size_t>(id)].text;
}

std::string Say(EngineText id, Language language, std::string_view value) {
    std::string text(Say(id, language));
    if (const auto at = text.find("%s"); at != std::string::npos) {
        text.replace(at, 2, value);
    }
    return text;
}

std::string_view DialogFontFace(Language language) {
    return language == Language::Japanese ? "ＭＳ Ｐゴシック" : "MS Shell Dlg 2";
}

}  // namespace popyo
