// The program's one window: the reader list, the GO and EXIT bitmap buttons,
// the status line, the Help menu and the tooltips. It is also the view the
// production runs act on. ProductionDialog.cpp keeps the window and its
// controls; each other job has a file ProductionDialog<Job>.cpp of its own
// (docs/architecture.md lists them).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "production/ProductionView.h"
#include "production/ShiftCounts.h"
#include "production/WornCardWatch.h"
#include "record/VerdictRecord.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSnapshot.h"
#include "ui/BitmapButton.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/ImageList.h"
#include "ui/ListCtrl.h"
#include "ui/ToolTipCtrl.h"

namespace talven {

struct ImageField;

class ProductionDialog : public ui::CDialog, public ProductionView {
public:
    // A `simulated` station's record goes to files and a spool of its own.
    explicit ProductionDialog(Platform& platform, ui::CWnd* parent = nullptr, bool simulated = false);
    ~ProductionDialog() override;

    bool PreTranslateMessage(MSG* message) override;

    // Columns and image list for the mode in the settings; in EEPROM mode the
    // settings listing follows, and the status line says what is wrong with
    // the settings, if anything. Without a snapshot they read the file now.
    void RebuildReaderList() { RebuildReaderList(ReadSettings()); }
    void RebuildReaderList(const SettingsSnapshot& settings);
    void ListSettings(const SettingsSnapshot& settings);
    // List, GO tooltip and status line for the mode in the settings, as
    // after the setup dialog's OK.
    void FollowSettings(const SettingsSnapshot& settings);

    // Commands of the window.
    void OnGo();
    void OnSetting();
    void OnAbout();
    // Help > Reset counts: the counts of the mode shown start anew, and the
    // record says when.
    void OnResetCounts();
    // Help > Line report: the last 7 days of the record folder in the browser.
    void OnLineReport();

    // ProductionView over the real list control.
    void InsertRow(int index, const char* text, int image) override;
    void SetRowText(int index, const char* text) override;
    void SetRowIcon(int index, int image) override;
    void SetRowSlot(int index, const ReaderSlot& slot) override;
    std::uint32_t RowSlot(int index) const override;
    std::uint16_t RowCount() const override;
    void DeleteRow(int index) override;
    void DeleteAllRows() override;
    void SetRowSpeed(int index, const char* text) override;
    void SetStatusText(const char* text) override;
    void SetRecordNote(const char* text) override;
    std::string LoadText(unsigned id) const override;
    void PumpMessages() override;
    std::int32_t& Running() override { return running; }
    void EnableButtons(bool go, bool exit) override;
    bool TakePendingStop() override;

    const char* SettingsPathText() const { return settingsPath; }
    VerdictRecord* Record() { return record.get(); }
    std::uint16_t SettingsRowCount() const override { return settingsRowCount; }
    const ui::CImageList* ImageList() const { return imageList.get(); }
    const ShiftCounts& Counts() const { return shiftCounts; }
    const WornCardWatch& Suspects() const { return suspectSlots; }
    HWND ToolTipWindow() const { return toolTip.GetSafeHwnd(); }

protected:
    void DoDataExchange(ui::CDataExchange& exchange) override;
    bool OnInitDialog() override;
    // Both close paths are refused while a run is in progress.
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code) override;

private:
    SettingsSnapshot ReadSettings() const { return SettingsSnapshot(SettingsFile(platform, settingsPath)); }
    std::string ListedValue(const ImageField& field, const CheckedSetting& checked) const;
    void DeleteImageList();
    bool PaintMinimised();
    // WM_TIMER; false leaves the message to default handling.
    bool OnTimer(UINT_PTR id);
    // The GO tooltip for the function in the settings.
    std::string GoToolText(const SettingsSnapshot& settings) const;
    // A run is in progress from the start of the test run's frame to its end,
    // not only while `running` is set.
    bool RunInProgress() const;
    void RequestStop();
    void RunTestFrame(const SettingsSnapshot& settings);
    void LoadGoFaces(bool stop);
    // Faces, size, repaint and tooltip of GO for a test run (stop) or idle.
    void ShowGoFaces(bool stop);
    void RemoveDriveRows(const std::string& driveText);
    // The chip text, then the note on a record that is behind.
    void ShowStatusLine();
    // Whether the window may close: not before the operator has been told of
    // verdicts that wait.
    bool MayClose();
    // The record's folder as the settings name it now.
    void FollowRecordFolder(const SettingsSnapshot& settings);
    // Records that wait are tried again now and then, so that the note goes
    // as soon as the file can be written, even with no verdict to add.
    void RetryRecord();
    // The shift's counts: kept in the station's state file, shown for the
    // mode of the list.
    void LoadShiftCounts();
    void CountRun(bool eepromMode, RunJudgement judgement);
    void SaveShiftCounts();
    void ShowShiftCounts();
    // With a serial block the listing's serial row shows what the next GO writes.
    void ShowNextSerial(const SettingsSnapshot& settings);
    // The line over the counts after a read/write test: the slot positions
    // that keep failing, in red, until a reader passes there.
    void FollowSuspectSlots(RunJudgement judgement, const SettingsSnapshot& settings);
    bool ColourSuspectLine(HDC dc, HWND control, LRESULT& result);

    Platform& platform;
    bool simulated;
    ui::CBitmapButton goButton;
    ui::CBitmapButton exitButton;
    ui::CStatic statusLine;
    ui::CStatic countsLine;
    ui::CStatic suspectLine;
    ui::CListCtrl readerList;
    std::unique_ptr<ui::CImageList> imageList;
    std::uint32_t lastDriveMask = 0;
    // A slot's drive, for the rows the drive watch takes with it.
    std::map<std::uint32_t, std::string> slotDrives;
    std::int32_t running = 0;
    bool inTestRun = false;
    bool stopPending = false;
    std::uint16_t settingsRowCount = 0;
    int serialRow = -1;  // the settings listing's serial row
    // The mode the list was last built for.
    bool listEepromMode = false;
    ui::CToolTipCtrl toolTip;
    SettingsPath settingsPath = {};
    HICON appIcon = nullptr;
    std::unique_ptr<VerdictRecord> record;
    std::string chipText;
    std::string recordNote;
    unsigned ticksSinceRecordTry = 0;
    ShiftCounts shiftCounts;
    ShiftCounts savedCounts;  // as the state file held them when last read or written here
    WornCardWatch suspectSlots;
};

}  // namespace talven
