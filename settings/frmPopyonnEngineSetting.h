// TForm2: the settings dialog's logic. Its controls are a small model (text, check state,
// enabled, maximum length) that the Win32 view binds real controls to and that the tests
// drive directly.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowSystem.h"
#include "settings/SettingsStore.h"

namespace popyo {

struct TControl {
    std::string Text;  // UTF-8
    bool Checked = false;
    bool Enabled = true;
    int MaxLength = 0;  // 0 = no limit; only typing is held to it
};

class TForm2 final : public TModalForm {
  public:
    TForm2();

    // Handlers.
    void FormShow() override;
    void cmdOKClick();
    void cmdCancelClick();
    // Shared by the five number boxes; acts on the box whose text changed.
    void Edit1Change(TControl& box);
    void Edit1Exit();
    void Edit2Exit();
    void Edit3Exit();
    void Edit5Exit();
    void Edit6Exit();
    void Edit4KeyDown(std::uint16_t& key, std::uint8_t shift);
    // Shared by CheckBox3 to CheckBox7.
    void CheckBox3Click();

    // Sets a box's text the way the framework does: a number box's change handler runs.
    void SetText(TControl& box, std::string text);
    bool IsNumberBox(const TControl& box) const;
    // The dialog's copy of the settings, in settings-file order; wx is not held.
    SettingFields SettingsFields();
    // Set by OK, Cancel and the close box: the modal run ends.
    bool Closed() const { return closed_; }
    void Close() { closed_ = true; }

    // Controls.
    TControl Label2, Label19;
    TControl Edit1, Edit2, Edit3, Edit4, Edit5, Edit6;
    TControl CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8,
        CheckBox9;

    // Fields, in declaration order.
    bool ActWin = false;
    std::int32_t EdgeWidth = 0;
    std::int32_t OutMargin = 0;
    bool HiAct = false;
    bool OutWin = false;
    std::int32_t MoveStep = 0;
    bool Accepted = false;
    bool AutoRestore = false;
    bool MouseDownDisable = false;
    std::int32_t DisableKey = 0;
    std::int32_t OnTime = 0;
    bool SwitchOnTime = false;
    std::int32_t OffTime = 0;
    bool OutCheck = false;
    bool AutoActivate = false;
    bool ChangePopyonStyle = false;
    // The language the dialog speaks; set before it is shown.
    Language Lang = Language::Japanese;

  private:
    void EnableLeaveDependants();
    void FillEmpty(TControl& box);
    void RaiseTo(TControl& box, std::int32_t minimum);

    bool closed_ = false;
};

}  // namespace popyo
