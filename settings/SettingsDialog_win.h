// The settings dialog's Win32 view: a modal window whose controls are bound to a TForm2.
#pragma once

#include <windows.h>

#include "settings/frmPopyonnEngineSetting.h"

namespace popyo {

// Runs the dialog modally, owned by the engine window; returns when it has closed, or at
// once when the application has been asked to end (`terminated`), which counts as Cancel.
void RunSettingsDialogModal(HWND owner, TForm2& dialog, const bool& terminated);

}  // namespace popyo
