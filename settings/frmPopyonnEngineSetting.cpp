#include "settings/frmPopyonnEngineSetting.h"

#include <optional>

#include "platform/WindowSystem.h"

namespace popyo {

namespace {

// A digits-only box's value; nullopt when it is empty or too long for 32 bits.
std::optional<std::int32_t> BoxValue(const std::string& text) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(v);
}

}  // namespace

TForm2::TForm2() {
    Edit1.MaxLength = 2;
    Edit5.MaxLength = 2;
    Edit3.MaxLength = 3;
    Edit2.MaxLength = 2;
    Edit6.MaxLength = 2;
}

bool TForm2::IsNumberBox(const TControl& box) const {
    return &box == &Edit1 || &box == &Edit2 || &box == &Edit3 || &box == &Edit5 || &box == &Edit6;
}

void TForm2::SetText(TControl& box, std::string text) {
    box.Text = std::move(text);
    if (IsNumberBox(box)) {
        Edit1Change(box);
    }
}

void TForm2::FormShow() {
    CheckBox1.Checked = ActWin;
    SetText(Edit1, std::to_string(EdgeWidth));
    SetText(Edit2, std::to_string(OutMargin));
    CheckBox2.Checked = HiAct;
    CheckBox3.Checked = OutWin;
    SetText(Edit3, std::to_string(MoveStep));
    CheckBox4.Checked = AutoRestore;
    CheckBox5.Checked = MouseDownDisable;
    SetText(Edit4, std::to_string(DisableKey));
    SetText(Edit5, std::to_string(OnTime));
    CheckBox6.Checked = SwitchOnTime;
    SetText(Edit6, std::to_string(OffTime));
    CheckBox8.Checked = OutCheck;
    CheckBox7.Checked = AutoActivate;
    CheckBox9.Checked = ChangePopyonStyle;
    EnableLeaveDependants();
    Accepted = false;
}

// Greyed-out controls are read too: their values are kept whatever the leave option says.
void TForm2::cmdOKClick() {
    ActWin = CheckBox1.Checked;
    EdgeWidth = StrToInt(Edit1.Text);
    OutMargin = StrToInt(Edit2.Text);
    HiAct = CheckBox2.Checked;
    OutWin = CheckBox3.Checked;
    MoveStep = StrToInt(Edit3.Text);
    AutoRestore = CheckBox4.Checked;
    MouseDownDisable = CheckBox5.Checked;
    DisableKey = StrToInt(Edit4.Text);
    OnTime = StrToInt(Edit5.Text);
    SwitchOnTime = CheckBox6.Checked;
    OffTime = StrToInt(Edit6.Text);
    OutCheck = CheckBox8.Checked;
    AutoActivate = CheckBox7.Checked;
    ChangePopyonStyle = CheckBox9.Checked;
    Accepted = true;
    Close();
}

void TForm2::cmdCancelClick() {
    Close();
}

// Letters, signs, blanks and every other character vanish as soon as they arrive.
void TForm2::Edit1Change(TControl& box) {
    std::string digits;
    for (char c : box.Text) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    if (digits != box.Text) {
        SetText(box, std::move(digits));
    }
}

void TForm2::FillEmpty(TControl& box) {
    if (box.Text.empty()) {
        SetText(box, "1");
    }
}

void TForm2::RaiseTo(TControl& box, std::int32_t minimum) {
    if (const auto v = BoxValue(box.Text); v && *v < minimum) {
        SetText(box, std::to_string(minimum));
    }
}

void TForm2::Edit1Exit() {
    FillEmpty(Edit1);
    RaiseTo(Edit1, 1);
}

void TForm2::Edit2Exit() {
    FillEmpty(Edit2);
}

// An emptied speed box first becomes 1 and then, below the minimum, 10.
void TForm2::Edit3Exit() {
    FillEmpty(Edit3);
    RaiseTo(Edit3, 10);
}

void TForm2::Edit5Exit() {
    FillEmpty(Edit5);
}

void TForm2::Edit6Exit() {
    FillEmpty(Edit6);
}

// The box shows the code of the key pressed in it and the key goes no further. Tab moves
// the focus on as everywhere else in the dialog.
void TForm2::Edit4KeyDown(std::uint16_t& key, std::uint8_t) {
    if (key == kVkTab) {
        return;
    }
    SetText(Edit4, std::to_string(key));
    key = 0;
}

void TForm2::CheckBox3Click() {
    EnableLeaveDependants();
}

void TForm2::EnableLeaveDependants() {
    const bool on = CheckBox3.Checked;
    Label2.Enabled = on;
    Edit2.Enabled = on;
    Label19.Enabled = on;
    Edit6.Enabled = on;
    CheckBox8.Enabled = on;
}

SettingFields TForm2::SettingsFields() {
    return {static_cast<std::int32_t*>(nullptr),
            &MoveStep,
            &EdgeWidth,
            &OutMargin,
            &ActWin,
            &HiAct,
            &OutWin,
            &DisableKey,
            &AutoRestore,
            &MouseDownDisable,
            &OnTime,
            &OffTime,
            &OutCheck,
            &SwitchOnTime,
            &AutoActivate,
            &ChangePopyonStyle};
}

}  // namespace popyo
