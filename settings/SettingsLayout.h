// The settings dialog's controls: kind, pixel position at 96 DPI, caption, tab order and
// tooltip. Positions of controls inside GroupBox2 are relative to the group box.
#pragma once

#include <array>
#include <string_view>

#include "settings/frmPopyonnEngineSetting.h"

namespace popyo {

enum class ControlKind : unsigned char { Label, Edit, CheckBox, Button, GroupBox, Picture, Bevel };

struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    bool inGroup;
    int x, y, width, height;
    std::string_view caption;
    int tabOrder;  // -1: not a tab stop; inside the group box, the order within it
    std::string_view tooltip;
    TControl TForm2::*model;  // the control's model in TForm2, if it has one
    int maxLength;            // edit boxes: characters the user may type; 0 no limit
};

inline constexpr int kDialogClientWidth = 334;
inline constexpr int kDialogClientHeight = 527;
inline constexpr std::string_view kDialogCaption = "Qovポピョンと！設定";
inline constexpr std::string_view kDialogFontFace = "ＭＳ Ｐゴシック";
inline constexpr int kDialogFontHeight = 12;
inline constexpr int kEditWidth = 57;
inline constexpr int kEditHeight = 20;

namespace tips {
inline constexpr std::string_view kEdgeWidth =
    "画面端から、この値の範囲へカーソルを持っていったときに、ポピョンと！します。（１～９９）";
inline constexpr std::string_view kOnTime =
    "画面端で、しばらく待たないと、ポピョンと！しないようにできます。（０～９９（1=50ms））";
inline constexpr std::string_view kMoveStep =
    "ポピョンと！出てくる速度と、しまう速度です。大きいほど速いです。（１０～９９９）";
inline constexpr std::string_view kOutMargin =
    "マウスカーソルが、ウインドウからはみ出したとみなすマージンです。ウインドウの外側に、少し余裕を"
    "持"
    "たせます。（０～９９）";
inline constexpr std::string_view kOffTime =
    "マウスカーソルがウインドウからはみ出ても、しばらく待たないと、格納しないようにできます。（０～"
    "９"
    "９（1=50ms））";
}  // namespace tips

inline constexpr std::array<ControlLayout, 27> kSettingsControls{{
    {"Image1", ControlKind::Picture, false, 8, 8, 321, 121, "", -1, "", nullptr, 0},
    {"Bevel1", ControlKind::Bevel, false, 8, 8, 321, 121, "", -1, "", nullptr, 0},
    {"Label17", ControlKind::Label, false, 296, 8, 22, 12, "1.0.3", -1, "", nullptr, 0},
    {"GroupBox2", ControlKind::GroupBox, false, 8, 128, 321, 361, "", -1, "", nullptr, 0},
    // Inside the group box, in tab order, each label just before the box it names.
    {"Label1", ControlKind::Label, true, 24, 21, 142, 12, "画面端でポピョンと！する幅", -1,
     tips::kEdgeWidth, nullptr, 0},
    {"Edit1", ControlKind::Edit, true, 256, 16, kEditWidth, kEditHeight, "", 0, tips::kEdgeWidth,
     &TForm2::Edit1, 2},
    {"Label18", ControlKind::Label, true, 24, 43, 216, 12,
     "画面端でポピョンと！するまでのタイムラグ", -1, tips::kOnTime, nullptr, 0},
    {"Edit5", ControlKind::Edit, true, 256, 40, kEditWidth, kEditHeight, "", 1, tips::kOnTime,
     &TForm2::Edit5, 2},
    {"CheckBox6", ControlKind::CheckBox, true, 8, 64, 273, 17,
     "同じ方向でのウインドウ切り替えは、すぐに行う", 2,
     "同じ方向のウインドウを、ポピョンと！するとき（画面端を複数回つつくとき）は、タイムラグを無視"
     "で"
     "きます。",
     &TForm2::CheckBox6, 0},
    {"CheckBox1", ControlKind::CheckBox, true, 8, 88, 217, 17, "アクティブになったら、ポピョンと！",
     3, "ウインドウがアクティブになったときに、ポピョンと！します。", &TForm2::CheckBox1, 0},
    {"Label4", ControlKind::Label, true, 25, 109, 107, 12, "ポピョンと！する速度", -1,
     tips::kMoveStep, nullptr, 0},
    {"Edit3", ControlKind::Edit, true, 256, 101, kEditWidth, kEditHeight, "", 4, tips::kMoveStep,
     &TForm2::Edit3, 3},
    {"CheckBox2", ControlKind::CheckBox, true, 8, 128, 265, 17,
     "非アクティブになったとき、ウインドウをしまう。", 5,
     "ポピョンと！しているウインドウが、アクティブでなくなったとき、自動的にしまいます。",
     &TForm2::CheckBox2, 0},
    {"CheckBox3", ControlKind::CheckBox, true, 8, 152, 273, 17,
     "ウインドウから、出たとき、ウインドウをしまう。", 6,
     "マウスカーソルがポピョンと！しているウインドウから、はみ出たときに、ウインドウをしまいます。",
     &TForm2::CheckBox3, 0},
    {"Label2", ControlKind::Label, true, 24, 179, 225, 12,
     "ウインドウから出たと判断するときのマージン", -1, tips::kOutMargin, &TForm2::Label2, 0},
    {"Edit2", ControlKind::Edit, true, 256, 173, kEditWidth, kEditHeight, "", 7, tips::kOutMargin,
     &TForm2::Edit2, 2},
    {"Label19", ControlKind::Label, true, 24, 203, 202, 12,
     "ウインドウから出たと判断するタイムラグ", -1, tips::kOffTime, &TForm2::Label19, 0},
    {"Edit6", ControlKind::Edit, true, 256, 197, kEditWidth, kEditHeight, "", 8, tips::kOffTime,
     &TForm2::Edit6, 2},
    {"CheckBox4", ControlKind::CheckBox, true, 8, 248, 273, 17,
     "最小化している場合、自動で元のサイズに戻る", 9,
     "チェックすると最小化していてもポピョンと！するときに元のサイズに戻ります。チェックしていない"
     "場"
     "合は、最小化していた場合は、ポピョンと！しません。",
     &TForm2::CheckBox4, 0},
    {"CheckBox5", ControlKind::CheckBox, true, 8, 272, 273, 17,
     "マウスボタンを押してる間は、ポピョンと！しない", 10,
     "マウスボタンを押している場合は、ポピョンと！しなくなります。", &TForm2::CheckBox5, 0},
    {"CheckBox7", ControlKind::CheckBox, true, 8, 296, 273, 17,
     "ポピョンと！したとき、アクティブになる", 11,
     "ポピョンと！したとき、ウインドウがアクティブになります。格納後は、ポピョンと！する前のウイン"
     "ド"
     "ウがアクティブになります。",
     &TForm2::CheckBox7, 0},
    {"Label15", ControlKind::Label, true, 24, 344, 104, 12, "Disableキー（コード）", -1, "",
     nullptr, 0},
    {"Edit4", ControlKind::Edit, true, 256, 336, kEditWidth, kEditHeight, "", 12,
     "一時的にポピョンと！しないようにするキーです。ワンキー設定です。", &TForm2::Edit4, 0},
    {"CheckBox8", ControlKind::CheckBox, true, 24, 224, 265, 17,
     "ウインドウから出たときに出たと判断する。", 13,
     "チェックすると、カーソルが、ウインドウ内から、ウインドウ外に出たときに出たという判断をします"
     "。"
     "はじめからウインドウ外にある場合は、出たという判断にはなりません。",
     &TForm2::CheckBox8, 0},
    {"CheckBox9", ControlKind::CheckBox, true, 8, 320, 305, 17,
     "元の位置までポピョンと！できるようにする", 14,
     "登録したウインドウを、画面の端以外の場所へ移動すると、そこまでポピョンと！するようになります"
     "。"
     "画面の端に移動すると、画面の端でポピョンと！します。",
     &TForm2::CheckBox9, 0},
    {"cmdOK", ControlKind::Button, false, 168, 496, 75, 25, "OK", 1, "", nullptr, 0},
    {"cmdCancel", ControlKind::Button, false, 256, 496, 75, 25, "キャンセル", 2, "", nullptr, 0},
}};

}  // namespace popyo
