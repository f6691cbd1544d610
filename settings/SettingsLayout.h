// The settings dialog's controls: kind, pixel position at 96 DPI, caption, tab order and
// tooltip. Positions of controls inside GroupBox2 are relative to the group box.
#pragma once

#include <array>
#include <string_view>

#include "engine/EngineTexts.h"
#include "settings/frmPopyonnEngineSetting.h"

namespace popyo {

enum class ControlKind : unsigned char { Label, Edit, CheckBox, Button, GroupBox, Picture, Bevel };

inline constexpr EngineText kNoText = EngineText::Count;

struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    bool inGroup;
    int x, y, width, height;
    EngineText caption;
    int tabOrder;  // -1: not a tab stop; inside the group box, the order within it
    EngineText tooltip;
    TControl TForm2::*model;  // the control's model in TForm2, if it has one
    int maxLength;            // edit boxes: characters the user may type; 0 no limit
    // A caption that is the same in every language.
    std::string_view fixedCaption = {};
};

inline constexpr int kDialogClientWidth = 334;
inline constexpr int kDialogClientHeight = 527;
inline constexpr int kDialogFontHeight = 12;
inline constexpr int kEditWidth = 57;
inline constexpr int kEditHeight = 20;

using T = EngineText;

inline constexpr std::array<ControlLayout, 27> kSettingsControls{{
    {"Image1", ControlKind::Picture, false, 8, 8, 321, 121, kNoText, -1, kNoText, nullptr, 0},
    {"Bevel1", ControlKind::Bevel, false, 8, 8, 321, 121, kNoText, -1, kNoText, nullptr, 0},
    {"Label17", ControlKind::Label, false, 296, 8, 22, 12, kNoText, -1, kNoText, nullptr, 0,
     "1.0.3"},
    {"GroupBox2", ControlKind::GroupBox, false, 8, 128, 321, 361, kNoText, -1, kNoText, nullptr, 0},
    // Inside the group box, in tab order, each label just before the box it names.
    {"Label1", ControlKind::Label, true, 24, 21, 142, 12, T::EdgeWidthLabel, -1, T::EdgeWidthTip,
     nullptr, 0},
    {"Edit1", ControlKind::Edit, true, 256, 16, kEditWidth, kEditHeight, kNoText, 0,
     T::EdgeWidthTip, &TForm2::Edit1, 2},
    {"Label18", ControlKind::Label, true, 24, 43, 216, 12, T::OnTimeLabel, -1, T::OnTimeTip,
     nullptr, 0},
    {"Edit5", ControlKind::Edit, true, 256, 40, kEditWidth, kEditHeight, kNoText, 1, T::OnTimeTip,
     &TForm2::Edit5, 2},
    {"CheckBox6", ControlKind::CheckBox, true, 8, 64, 273, 17, T::SwitchOnTimeBox, 2,
     T::SwitchOnTimeTip, &TForm2::CheckBox6, 0},
    {"CheckBox1", ControlKind::CheckBox, true, 8, 88, 217, 17, T::ActWinBox, 3, T::ActWinTip,
     &TForm2::CheckBox1, 0},
    {"Label4", ControlKind::Label, true, 25, 109, 107, 12, T::MoveStepLabel, -1, T::MoveStepTip,
     nullptr, 0},
    {"Edit3", ControlKind::Edit, true, 256, 101, kEditWidth, kEditHeight, kNoText, 4,
     T::MoveStepTip, &TForm2::Edit3, 3},
    {"CheckBox2", ControlKind::CheckBox, true, 8, 128, 265, 17, T::HiActBox, 5, T::HiActTip,
     &TForm2::CheckBox2, 0},
    {"CheckBox3", ControlKind::CheckBox, true, 8, 152, 273, 17, T::OutWinBox, 6, T::OutWinTip,
     &TForm2::CheckBox3, 0},
    {"Label2", ControlKind::Label, true, 24, 179, 225, 12, T::OutMarginLabel, -1, T::OutMarginTip,
     &TForm2::Label2, 0},
    {"Edit2", ControlKind::Edit, true, 256, 173, kEditWidth, kEditHeight, kNoText, 7,
     T::OutMarginTip, &TForm2::Edit2, 2},
    {"Label19", ControlKind::Label, true, 24, 203, 202, 12, T::OffTimeLabel, -1, T::OffTimeTip,
     &TForm2::Label19, 0},
    {"Edit6", ControlKind::Edit, true, 256, 197, kEditWidth, kEditHeight, kNoText, 8, T::OffTimeTip,
     &TForm2::Edit6, 2},
    {"CheckBox4", ControlKind::CheckBox, true, 8, 248, 273, 17, T::AutoRestoreBox, 9,
     T::AutoRestoreTip, &TForm2::CheckBox4, 0},
    {"CheckBox5", ControlKind::CheckBox, true, 8, 272, 273, 17, T::MouseDownDisableBox, 10,
     T::MouseDownDisableTip, &TForm2::CheckBox5, 0},
    {"CheckBox7", ControlKind::CheckBox, true, 8, 296, 273, 17, T::AutoActivateBox, 11,
     T::AutoActivateTip, &TForm2::CheckBox7, 0},
    {"CheckBox9", ControlKind::CheckBox, true, 8, 320, 305, 17, T::ChangePopyonStyleBox, 14,
     T::ChangePopyonStyleTip, &TForm2::CheckBox9, 0},
    {"Label15", ControlKind::Label, true, 24, 344, 104, 12, T::DisableKeyLabel, -1, kNoText,
     nullptr, 0},
    {"Edit4", ControlKind::Edit, true, 256, 336, kEditWidth, kEditHeight, kNoText, 12,
     T::DisableKeyTip, &TForm2::Edit4, 0},
    {"CheckBox8", ControlKind::CheckBox, true, 24, 224, 265, 17, T::OutCheckBox, 13, T::OutCheckTip,
     &TForm2::CheckBox8, 0},
    {"cmdOK", ControlKind::Button, false, 168, 496, 75, 25, T::OkButton, 1, kNoText, nullptr, 0},
    {"cmdCancel", ControlKind::Button, false, 256, 496, 75, 25, T::CancelButton, 2, kNoText,
     nullptr, 0},
}};

// A control's caption in the dialog's language.
inline std::string_view CaptionOf(const ControlLayout& control, Language language) {
    return control.caption == kNoText ? control.fixedCaption : Say(control.caption, language);
}
inline std::string_view TooltipOf(const ControlLayout& control, Language language) {
    return control.tooltip == kNoText ? std::string_view() : Say(control.tooltip, language);
}

}  // namespace popyo
