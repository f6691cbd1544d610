// Every text the engine shows a user, in English and in Japanese: its notices, its error
// boxes and the settings dialog. The Japanese texts are the engine's own of old, byte for
// byte. What front-ends find the engine by never changes with the language: its window's
// class and title, the settings file and the protocol.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Language.h"

namespace popyo {

enum class EngineText : std::uint8_t {
    ApplicationTitle,  // the caption of the error boxes
    SecondInstanceNotice,
    SecondInstanceCaption,
    OpenError,    // %s: the settings file's full path
    CreateError,  // %s: the same
    DialogCaption,
    EdgeWidthLabel,
    EdgeWidthTip,
    OnTimeLabel,
    OnTimeTip,
    SwitchOnTimeBox,
    SwitchOnTimeTip,
    ActWinBox,
    ActWinTip,
    MoveStepLabel,
    MoveStepTip,
    HiActBox,
    HiActTip,
    OutWinBox,
    OutWinTip,
    OutMarginLabel,
    OutMarginTip,
    OffTimeLabel,
    OffTimeTip,
    AutoRestoreBox,
    AutoRestoreTip,
    MouseDownDisableBox,
    MouseDownDisableTip,
    AutoActivateBox,
    AutoActivateTip,
    ChangePopyonStyleBox,
    ChangePopyonStyleTip,
    DisableKeyLabel,
    DisableKeyTip,
    OutCheckBox,
    OutCheckTip,
    OkButton,
    CancelButton,
    Count
};

TextPair EngineTextPair(EngineText id);
inline std::string_view Say(EngineText id, Language language) {
    return EngineTextPair(id).In(language);
}
// The text with its one %s replaced by `value`.
std::string Say(EngineText id, Language language, std::string_view value);

// The dialog's font for each language: Japanese texts in the face the dialog was drawn for,
// English ones in the face Windows draws its own dialogs with.
std::string_view DialogFontFace(Language language);

}  // namespace popyo
