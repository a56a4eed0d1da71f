// The narrow view of the main window that the portable production runs act
// on: the reader list's row operations, the status line, the string table,
// the message pump and the `running` flag. The main window provides it over
// its real list control; host tests provide a list model that behaves alike.
#pragma once

#include <cstdint>
#include <string>

#include "production/ReaderSlot.h"

namespace talven {

// Image index of a list row.
enum RowIcon : int {
    kRowNeutral = 0,
    kRowFailed = 1,
    kRowPassed = 2,
    kRowStopped = 3,
};

class ProductionView {
public:
    virtual ~ProductionView() = default;

    // Row operations of the reader list.
    virtual void InsertRow(int index, const char* text, int image) = 0;
    virtual void SetRowText(int index, const char* text) = 0;  // column 1
    virtual void SetRowIcon(int index, int image) = 0;
    virtual std::uint16_t RowCount() const = 0;
    virtual void DeleteRow(int index) = 0;
    virtual void DeleteAllRows() = 0;

    // Column 2 of a row in the read/write test: the slot's speed.
    virtual void SetRowSpeed(int /*index*/, const char* /*text*/) {}

    virtual void SetStatusText(const char* text) = 0;
    // The note after the chip text in the status line that the verdict
    // record is behind; empty when it is not.
    virtual void SetRecordNote(const char* /*text*/) {}
    // The text of a string-table id.
    virtual std::string LoadText(unsigned id) const = 0;
    // Dispatches every queued message, then returns.
    virtual void PumpMessages() = 0;
    // The one stop signal: non-zero while a run is in progress.
    virtual std::int32_t& Running() = 0;
    // Enable state of the GO and EXIT buttons (the EEPROM run disables both).
    virtual void EnableButtons(bool go, bool exit) = 0;
    // Index of the last settings row in EEPROM mode.
    virtual std::uint16_t SettingsRowCount() const = 0;
    // A stop asked for before the run set `running` (a second GO queued
    // behind the first); taking it clears it.
    virtual bool TakePendingStop() { return false; }

    // A row's slot number (0 on a row of no slot: a new row has none). The
    // drive watch removes rows during a run, so a slot's row is found again
    // by its number before it is written; the slot tells the watch its drive.
    virtual void SetRowSlot(int index, const ReaderSlot& slot) = 0;
    virtual std::uint32_t RowSlot(int index) const = 0;

    // The index of slot `slot`'s row, trying `index` first; -1 when no row is
    // the slot's (the drive watch took it away).
    int FindRow(std::uint32_t slot, int index) const {
        if (RowSlot(index) == slot) return index;
        for (int row = 0; row < RowCount(); ++row)
            if (RowSlot(row) == slot) return row;
        return -1;
    }
};

}  // namespace talven
