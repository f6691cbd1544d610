#include "frontends/tray/TrayTexts.h"

#include <cstddef>
#include <string>

namespace popyo::tray {
namespace {

// In the order of TrayText. Menu entries keep their access key: "&Pop" in English, "(&P)"
// after the word in Japanese, as Japanese menus show it.
constexpr TextRow<TrayText> kRows[] = {
    {TrayText::NoWindowTucked, {"No window tucked away", "しまっているウインドウはありません"}},
    {TrayText::Untitled, {"(untitled)", "（無題）"}},
    {TrayText::EdgeLeft, {"left", "左"}},
    {TrayText::EdgeTop, {"top", "上"}},
    {TrayText::EdgeBottom, {"bottom", "下"}},
    {TrayText::EdgeRight, {"right", "右"}},
    {TrayText::Pop, {"&Pop", "出す(&P)"}},
    {TrayText::Release, {"&Release", "元に戻す(&R)"}},
    {TrayText::TuckActive, {"&Tuck the active window", "アクティブなウインドウをしまう(&T)"}},
    {TrayText::TuckLeft, {"&Left", "左(&L)"}},
    {TrayText::TuckTop, {"&Top", "上(&T)"}},
    {TrayText::TuckBottom, {"&Bottom", "下(&B)"}},
    {TrayText::TuckRight, {"&Right", "右(&R)"}},
    {TrayText::ReleaseAll, {"Release &all", "すべて元に戻す(&A)"}},
    {TrayText::Settings, {"&Settings…", "設定(&S)…"}},
    {TrayText::EditRules, {"&Edit rules…", "ルールを編集(&E)…"}},
    {TrayText::StartWithWindows, {"Start with &Windows", "Windows と一緒に起動(&W)"}},
    {TrayText::Exit, {"E&xit", "終了(&X)"}},
    {TrayText::TooltipNone,
     {"PopyonnEngine: no windows tucked away",
      "PopyonnEngine: しまっているウインドウはありません"}},
    {TrayText::TooltipOne,
     {"PopyonnEngine: 1 window tucked away", "PopyonnEngine: 1 個のウインドウをしまっています"}},
    {TrayText::TooltipMany,
     {"PopyonnEngine: {0} windows tucked away",
      "PopyonnEngine: {0} 個のウインドウをしまっています"}},
    {TrayText::Stopped, {"PopyonnTray stopped: {0}", "PopyonnTray が止まりました: {0}"}},
    {TrayText::EngineUnreachable,
     {"PopyonnTray needs PopyonnEngine and could not reach it.\n\n{0}",
      "PopyonnTray には PopyonnEngine が要りますが、つながりませんでした。\n\n{0}"}},
    {TrayText::EngineNotRestarted,
     {"PopyonnEngine ended unexpectedly and could not be started again, so PopyonnTray ends "
      "too.\n\n{0}",
      "PopyonnEngine が思いがけず終わり、起動し直せなかったため、PopyonnTray "
      "も終わります。\n\n{0}"}},
    {TrayText::EngineEndedAgain,
     {"PopyonnEngine ended unexpectedly again (exit code {0}) soon after it was started again. "
      "{1} window(s) were put back where they stood. PopyonnTray ends.",
      "PopyonnEngine が起動し直してすぐ、また思いがけず終わりました（終了コード {0}）。{1} "
      "個のウインドウを元の位置に戻しました。PopyonnTray を終わります。"}},
    {TrayText::RestartedTitle,
     {"PopyonnEngine was started again", "PopyonnEngine を起動し直しました"}},
    {TrayText::RestartedText,
     {"It ended unexpectedly (exit code {0}). {1} window(s) were put back where they stood; "
      "the rules take theirs again.",
      "思いがけず終わりました（終了コード {0}）。{1} "
      "個のウインドウを元の位置に戻しました。ルールのウインドウはまたしまいます。"}},
    {TrayText::EngineNotStarted,
     {"PopyonnEngine.exe could not be started from {0}: {1}",
      "{0} の PopyonnEngine.exe を起動できませんでした: {1}"}},
    {TrayText::EngineEndedAtOnce,
     {"PopyonnEngine.exe ended at once (exit code {0}).",
      "PopyonnEngine.exe がすぐに終わりました（終了コード {0}）。"}},
    {TrayText::EngineNoWindow,
     {"PopyonnEngine.exe opened no window within 5 seconds.",
      "PopyonnEngine.exe が 5 秒たってもウインドウを開きませんでした。"}},
    {TrayText::EngineNotWatched,
     {"The engine's process cannot be watched: {0}",
      "PopyonnEngine のプロセスを見守れません: {0}"}},
    {TrayText::EngineRefused,
     {"The engine did not take PopyonnTray as a front-end.",
      "PopyonnEngine が PopyonnTray をフロントエンドとして受け付けませんでした。"}},
    {TrayText::RulesNotWritten,
     {"The rules file {0} could not be written: {1}",
      "ルールファイル {0} を書き込めませんでした: {1}"}},
    {TrayText::RulesNotOpened,
     {"The rules file {0} could not be opened: {1}", "ルールファイル {0} を開けませんでした: {1}"}},
    {TrayText::StartWithWindowsFailed,
     {"PopyonnTray could not be set to start with Windows: {0}",
      "PopyonnTray を Windows と一緒に起動するようにできませんでした: {0}"}},
    {TrayText::StopStartWithWindowsFailed,
     {"PopyonnTray could not be kept from starting with Windows: {0}",
      "PopyonnTray を Windows と一緒に起動しないようにできませんでした: {0}"}},
    {TrayText::HotkeysTaken,
     {"Another program holds these hotkeys already, so they do nothing in PopyonnTray:\n",
      "次のホットキーはほかのプログラムが先に使っているため、PopyonnTray では働きません:\n"}},
    {TrayText::HotkeysTakenEnd,
     {"\n\nThe other hotkeys work. Other keys can be chosen in the [hotkeys] table of {0}",
      "\n\nほかのホットキーは働きます。別のキーは {0} の [hotkeys] で選べます。"}},
    {TrayText::HotkeyReleaseAll, {"release every window", "すべてのウインドウを元に戻す"}},
    {TrayText::HotkeyTuckAt, {"tuck or release at the {0} edge", "{0}端でしまう・元に戻す"}},
    {TrayText::RulesFaultAtStart,
     {"The rules file has a fault, so PopyonnTray starts without its rules.",
      "ルールファイルに誤りがあるため、PopyonnTray はルールなしで起動します。"}},
    {TrayText::RulesFaultLater,
     {"The rules file has a fault, so its changes are not used: the rules in force stay.",
      "ルールファイルに誤りがあるため、変更は使われず、今のルールのままです。"}},
    {TrayText::HotkeySummon,
     {"bring out or tuck away the window of the [[window]] at line {0}",
      "{0} 行目の [[window]] のウインドウを出す・しまう"}},
    {TrayText::RunFailed,
     {"The program of the [[window]] at line {0} of the rules file, {1}, could not be started: "
      "{2}",
      "ルールファイルの {0} 行目の [[window]] のプログラム {1} を起動できませんでした: {2}"}},
    {TrayText::RunNoWindow,
     {"The program of the [[window]] at line {0} of the rules file, {1}, was started but "
      "showed no window of the rule within 10 seconds.",
      "ルールファイルの {0} 行目の [[window]] のプログラム {1} を起動しましたが、10 "
      "秒たってもルールのウインドウが出てきませんでした。"}},
};

static_assert(EveryTextInOrder(kRows), "every text has its row, in order");

template <class Values>
std::string Fill(std::string text, const Values& values) {
    char mark[] = "{0}";
    for (const std::string_view value : values) {
        if (const auto at = text.find(mark); at != std::string::npos) {
            text.replace(at, 3, value);
        }
        ++mark[1];
    }
    return text;
}

}  // namespace

TextPair TrayTextPair(TrayText id) {
    return kRows[static_cast<std::size_t>(id)].text;
}

std::string Say(TrayText id, Language language, std::initializer_list<std::string_view> values) {
    return Fill(std::string(TrayTextPair(id).In(language)), values);
}

std::string Say(TrayText id, Language language, const std::vector<std::string>& values) {
    return Fill(std::string(TrayTextPair(id).In(language)), values);
}

}  // namespace popyo::tray
