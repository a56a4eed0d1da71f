#include "ui/Controls.h"

#include <commctrl.h>

namespace talven::ui {

void CEdit::LimitText(int characters) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(characters), 0); }

void CComboBox::AddString(const char* text) { SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }

void CComboBox::LimitText(int characters) { SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(characters), 0); }

void CSpinButtonCtrl::SetRange(short lower, short upper) {
    SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, lower));
}

}  // namespace talven::ui
