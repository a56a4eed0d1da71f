// The view the production runs act on: the reader list's rows, the status
// line, GO and EXIT, the string table and the message pump.
#include "app/ProductionDialog.h"
#include "ui/MessagePump.h"
#include "ui/WinApp.h"

namespace talven {

// A new row, and a row whose verdict comes, is scrolled into view: in EEPROM
// mode the result row lies below the settings rows.
void ProductionDialog::InsertRow(int index, const char* text, int image) {
    readerList.EnsureVisible(readerList.InsertItem(index, text, image));
}

void ProductionDialog::SetRowText(int index, const char* text) { readerList.SetItemText(index, 1, text); }

void ProductionDialog::SetRowIcon(int index, int image) {
    readerList.SetItemImage(index, image);
    readerList.EnsureVisible(index);
}

void ProductionDialog::SetRowSpeed(int index, const char* text) { readerList.SetItemText(index, 2, text); }

// The drive watch takes the rows of a slot whose drive went, where they name it.
void ProductionDialog::SetRowSlot(int index, const ReaderSlot& slot) {
    readerList.SetItemData(index, slot.number);
    slotDrives[slot.number] = slot.rowNamesDrive ? slot.drive : std::string();
}

std::uint32_t ProductionDialog::RowSlot(int index) const {
    return static_cast<std::uint32_t>(readerList.GetItemData(index));
}

std::uint16_t ProductionDialog::RowCount() const { return static_cast<std::uint16_t>(readerList.GetItemCount()); }

void ProductionDialog::DeleteRow(int index) { readerList.DeleteItem(index); }

void ProductionDialog::DeleteAllRows() { readerList.DeleteAllItems(); }

void ProductionDialog::EnableButtons(bool go, bool exit) {
    goButton.EnableWindow(go);
    exitButton.EnableWindow(exit);
}

void ProductionDialog::SetStatusText(const char* text) {
    chipText = text;
    ShowStatusLine();
}

void ProductionDialog::ShowStatusLine() {
    const char* separator = chipText.empty() || recordNote.empty() ? "" : "   ";
    statusLine.SetWindowText((chipText + separator + recordNote).c_str());
}

std::string ProductionDialog::LoadText(unsigned id) const { return ui::LoadResourceString(id); }

void ProductionDialog::PumpMessages() { ui::PumpMessages(); }

}  // namespace talven
