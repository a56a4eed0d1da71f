// A list model that behaves like the main window's list control, as the view
// the production runs act on in host tests and in the benchmark: rows with
// two columns and an icon, the status line, the string table, a message pump
// that runs what a test queued, and the `running` flag.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "production/ProductionView.h"
#include "resources/StringTable.h"

namespace talven::test {

struct ListRow {
    std::string name;    // column 0
    std::string status;  // column 1
    int icon = 0;
    std::string speed;  // column 2
    std::uint32_t slot = 0;
};

class ListModel : public ProductionView {
public:
    void InsertRow(int index, const char* text, int image) override {
        if (index < 0) return;
        if (index > static_cast<int>(rows.size())) index = static_cast<int>(rows.size());
        rows.insert(rows.begin() + index, ListRow{text, "", image, ""});
        ++events;
    }
    void SetRowText(int index, const char* text) override {
        ++textUpdates;
        texts.push_back({index, text});
        if (Valid(index)) rows[index].status = text;
        ++events;
    }
    void SetRowIcon(int index, int image) override {
        if (Valid(index)) rows[index].icon = image;
        ++events;
    }
    void SetRowSpeed(int index, const char* text) override {
        if (Valid(index)) rows[index].speed = text;
    }
    void SetRowSlot(int index, const ReaderSlot& slot) override {
        if (Valid(index)) rows[index].slot = slot.number;
    }
    std::uint32_t RowSlot(int index) const override { return Valid(index) ? rows[index].slot : 0; }
    std::uint16_t RowCount() const override { return static_cast<std::uint16_t>(rows.size()); }
    void DeleteRow(int index) override {
        if (Valid(index)) rows.erase(rows.begin() + index);
    }
    void DeleteAllRows() override { rows.clear(); }
    void SetStatusText(const char* text) override { status = text; }
    void SetRecordNote(const char* text) override { recordNote = text; }
    std::string LoadText(unsigned id) const override {
        const char* text = StringText(id);
        return text != nullptr ? text : "";
    }
    // Runs the actions queued for this pump (by count) and any `onPump`.
    void PumpMessages() override {
        ++pumps;
        if (onPump) onPump(pumps);
    }
    std::int32_t& Running() override { return running; }
    void EnableButtons(bool go, bool exit) override {
        goEnabled = go;
        exitEnabled = exit;
        buttonChanges.push_back({go, exit, running});
    }
    std::uint16_t SettingsRowCount() const override { return settingsRowCount; }
    bool TakePendingStop() override { return std::exchange(pendingStop, false); }

    struct ButtonChange {
        bool go;
        bool exit;
        std::int32_t running;
    };

    std::vector<ListRow> rows;
    std::string status;
    std::string recordNote;
    std::int32_t running = 1;
    std::uint16_t settingsRowCount = 0;
    bool pendingStop = false;
    bool goEnabled = true;
    bool exitEnabled = true;
    std::vector<ButtonChange> buttonChanges;
    std::uint64_t pumps = 0;
    std::uint64_t textUpdates = 0;
    // Every column-1 text set, in order, with its row.
    std::vector<std::pair<int, std::string>> texts;
    std::uint64_t events = 0;
    // Called from every pump with the pump's number (1 for the first).
    std::function<void(std::uint64_t)> onPump;

private:
    bool Valid(int index) const { return index >= 0 && index < static_cast<int>(rows.size()); }
};

}  // namespace talven::test
