// The plain controls: static text, edit, combo box and up-down control.
#pragma once

#include "ui/Wnd.h"

namespace talven::ui {

class CStatic : public CWnd {};

class CEdit : public CWnd {
public:
    // The number of characters the operator can type; text the program puts
    // into the edit is not cut.
    void LimitText(int characters);
};

// A drop-down combo box: a list to choose from and an edit to write in.
class CComboBox : public CWnd {
public:
    void AddString(const char* text);
    // The number of characters the operator can type into its edit.
    void LimitText(int characters);
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(short lower, short upper);
};

}  // namespace talven::ui
