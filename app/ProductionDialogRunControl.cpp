// Run control of the main window: the GO command and the read/write test
// run's frame around the scan.
#include "app/ProductionDialog.h"
#include "production/ProductionRuns.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/MessagePump.h"

namespace talven {
namespace {

struct GoFaces {
    unsigned up;
    unsigned selected;
    unsigned focused;
    unsigned disabled;
};

constexpr GoFaces kIdleFaces = {IDB_GO_UP, IDB_GO_SELECTED, IDB_GO_FOCUSED, IDB_GO_DISABLED};
constexpr GoFaces kStopFaces = {IDB_STOP_UP, IDB_STOP_SELECTED, IDB_STOP_FOCUSED, IDB_STOP_DISABLED};

}  // namespace

void ProductionDialog::OnGo() {
    if (RunInProgress()) {
        RequestStop();
        return;
    }
    // One reading of the file for the whole GO. A mode changed by hand since
    // the list was built: the window follows the file before the run, so
    // that list and tip belong to the job.
    const SettingsSnapshot settings = ReadSettings();
    const bool eepromMode = settings.EepromMode();
    if (eepromMode != listEepromMode) {
        FollowSettings(settings);
    } else if (eepromMode) {
        // The listing shows what this run writes, even after a hand edit.
        ListSettings(settings);
    }
    if (!eepromMode) {
        DeleteAllRows();
        RunTestFrame(settings);
        return;
    }
    // Disables and enables both buttons itself; it pumps no messages.
    ProductionRuns runs(platform, *this, settingsPath, record.get());
    runs.RunEepromProgramming(settings);
    CountRun(true, runs.Judgement());
    ShowNextSerial(settings);
}

bool ProductionDialog::RunInProgress() const { return running != 0 || inTestRun; }

void ProductionDialog::RequestStop() {
    running = 0;
    // Before the scan sets `running` a cleared flag would be overwritten:
    // keep the request for the scan to take.
    if (inTestRun) stopPending = true;
}

bool ProductionDialog::TakePendingStop() {
    const bool pending = stopPending;
    stopPending = false;
    return pending;
}

void ProductionDialog::RunTestFrame(const SettingsSnapshot& settings) {
    // The frame ends on every path: an exception from a handler pumped during
    // the run must not leave the window believing a run is in progress, where
    // it could neither close nor start another. A quit request that a pump
    // takes waits for the end of the run.
    class Frame {
    public:
        explicit Frame(ProductionDialog& dialog) : dialog(dialog) {
            dialog.inTestRun = true;
            dialog.stopPending = false;
            dialog.exitButton.EnableWindow(false);
            dialog.ShowGoFaces(true);
        }
        ~Frame() {
            dialog.running = 0;  // the scan clears it, unless an exception left it
            dialog.ShowGoFaces(false);
            dialog.exitButton.EnableWindow(true);
            // A stop asked for after the scan ended has nothing left to stop.
            dialog.stopPending = false;
            dialog.inTestRun = false;
        }
        Frame(const Frame&) = delete;
        Frame& operator=(const Frame&) = delete;

    private:
        ProductionDialog& dialog;
        ui::QuitHold quitHold;  // goes after the frame has ended
    };

    const Frame frame(*this);
    PumpMessages();
    ProductionRuns runs(platform, *this, settingsPath, record.get());
    runs.WatchSlots(&suspectSlots);
    runs.ScanReaders(settings);
    CountRun(false, runs.Judgement());
    FollowSuspectSlots(runs.Judgement(), settings);
    PumpMessages();
}

void ProductionDialog::LoadGoFaces(bool stop) {
    const GoFaces& faces = stop ? kStopFaces : kIdleFaces;
    goButton.LoadBitmaps(faces.up, faces.selected, faces.focused, faces.disabled);
    goButton.SizeToContent();
}

void ProductionDialog::ShowGoFaces(bool stop) {
    LoadGoFaces(stop);
    goButton.Invalidate(true);
    toolTip.DelTool(&goButton);
    toolTip.AddTool(&goButton, LoadText(stop ? IDS_STOP_WRITE_READ : IDS_WRITE_READ_TEST).c_str());
}

}  // namespace talven
