// Dialog data exchange: binds members to the controls of a dialog, in both
// directions (showing and reading back).
#pragma once

#include <cstdint>
#include <string>

#include "ui/Wnd.h"

namespace talven::ui {

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate) : dialog(dialog), saveAndValidate(saveAndValidate) {}

    CDialog& Dialog() const { return dialog; }
    bool SaveAndValidate() const { return saveAndValidate; }
    // Once a value is refused the rest of the exchange is skipped.
    bool Failed() const { return failed; }
    // Refuses the value of `control` with `prompt`; focus goes to the control.
    void Fail(HWND control, const char* prompt);

private:
    CDialog& dialog;
    bool saveAndValidate;
    bool failed = false;
};

// Attaches `control` to the dialog's control `id` (once).
void DDX_Control(CDataExchange& exchange, int id, CWnd& control);
// A group of radio buttons beginning at `firstId`: the index of the checked
// one, -1 when none is; showing checks the one at `value` and clears the rest.
void DDX_Radio(CDataExchange& exchange, int firstId, int& value);
void DDX_Text(CDataExchange& exchange, int id, std::string& value);
// Unsigned decimal; reading back refuses anything but a number from 0 to 255.
void DDX_Text(CDataExchange& exchange, int id, std::uint8_t& value);

// The decimal reading of an unsigned 8-bit text: blanks around digits only.
bool ParseByte(const std::string& text, std::uint8_t& value);

// The prompt refusing a value that is not an integer from 0 to 255.
inline constexpr const char* kParseBytePrompt = "Please enter an integer between 0 and 255.";

}  // namespace talven::ui
