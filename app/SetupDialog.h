// The operator's editor of the settings file. It reads the file once when it
// opens and, on OK, writes what the operator changed and the keys the file
// lacked; a value left untouched stays in the file exactly as written there,
// blanks and quotes included. It never turns a value into another by itself,
// and OK never saves a value the settings check refuses:
// the note line names the field and the reason, and the focus goes there.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "settings/SettingsFile.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"

namespace talven {

class SetupDialog : public ui::CDialog {
public:
    explicit SetupDialog(Platform& platform, ui::CWnd* parent = nullptr);
    ~SetupDialog() override;

    const char* SettingsPathText() const { return settingsPath; }

protected:
    void DoDataExchange(ui::CDataExchange& exchange) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    SettingsFile Settings() const { return SettingsFile(platform, settingsPath); }

    // One value the dialog shows, in the order OK writes them: the one list
    // of its controls, which loading, the exchange, the limits, the checks,
    // saving and the function switch all go by.
    struct Field {
        const SettingsKey* key;
        // The edit, the combo box, or the first radio of a pair (the second
        // is the next control).
        int control;
        // A radio pair's member; null for an edit or the combo box.
        int* choice;
        // The control only "Write EEPROM" lets the operator change; 0 for
        // one open in both functions.
        int deviceControl;
        // The file's text, or the key's default when it is missing.
        std::string loaded{};
        // Whether the file holds the key: an untouched value it holds is
        // left in the file exactly as written there.
        bool present = false;
        // The control's state after loading, as Shown gives it: while it
        // stands, OK writes `loaded` back unchanged.
        std::string shown{};
    };
    // A key and the text OK writes for it.
    struct SavedValue {
        const SettingsKey* key;
        std::string text;
    };

    void LoadSettings();
    void ShowLoaded(Field& field, std::uint32_t number);
    // The control's state now: its text, or a pair's choice.
    std::string Shown(const Field& field) const;
    // The settings text the operator's entry stands for.
    std::string Entered(const Field& field) const;
    // Why `text` cannot be saved for `field`; empty when it can.
    std::string Refusal(const Field& field, const std::string& text) const;
    // Every value OK writes, or false with the note line saying which one
    // cannot be saved.
    bool ValuesToSave(std::vector<SavedValue>& values);
    void RefuseOk(const Field& field, const std::string& reason);
    // The label before the field's control, without its '&' and ':'.
    std::string FieldName(const Field& field) const;
    void SetNote(const std::string& text);
    // An arrow on a power outside the spin button's range: true when it
    // stepped from the value shown, so that the control's own step is
    // cancelled.
    bool StepPowerFromOutsideRange(int delta);
    // The controls only "Write EEPROM" opens: the four texts, the power spin
    // button and the six speed pairs.
    void EnableDeviceControls(bool enable);

    Platform& platform;
    ui::CSpinButtonCtrl powerSpin;
    ui::CComboBox testAmountBox;
    int fileSizeChoice = 0;
    int cfSpeedChoice = 0;
    int mmcSpeedChoice = 0;
    int msProSpeedChoice = 0;
    int msSpeedChoice = 0;
    int sdSpeedChoice = 0;
    int smSpeedChoice = 0;
    int functionChoice = 0;
    bool deviceControlsEnabled = false;
    std::vector<Field> fields;
    SettingsPath settingsPath = {};
};

}  // namespace talven
