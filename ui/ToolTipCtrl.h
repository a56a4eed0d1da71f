// A tooltip control whose tools are whole child windows. The tips rely on the
// owning dialog relaying mouse messages (RelayEvent), not on subclassing.
#pragma once

#include "ui/Wnd.h"

namespace talven::ui {

class CToolTipCtrl : public CWnd {
public:
    ~CToolTipCtrl() override;

    bool Create(CWnd* parent, DWORD style);
    void Activate(bool activate);
    // A tool for the whole of `tool` (a child of the tooltip's parent); the
    // text is copied.
    bool AddTool(CWnd* tool, const char* text);
    void DelTool(CWnd* tool);
    void RelayEvent(MSG* message);
};

}  // namespace talven::ui
