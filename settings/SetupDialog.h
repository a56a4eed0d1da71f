// The operator's editor of the settings file. It reads the file once when it
// opens and, on OK with four non-empty texts and no value the programming
// run would refuse, writes back every value shown.
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

private:
    SettingsFile Settings() const { return SettingsFile(platform, settingsPath); }
    // A key and the text OK writes for it.
    struct SavedValue {
        const SettingsKey* key;
        std::string text;
    };

    void LoadSettings();
    // A text box's bytes as the file held them, and the text the box then
    // showed: while it shows the same, OK writes those bytes back.
    struct LoadedText {
        std::string bytes;
        std::wstring shown;
    };
    void LoadText(ui::CEdit& edit, const SettingsKey& key, const SettingsFile& settings);
    // The bytes OK writes for a text box.
    std::string BoxText(const ui::CEdit& edit, const SettingsKey& key) const;
    // Every value OK writes, in the order it writes them: the four texts
    // from their edits, then the members, numbers in decimal.
    std::vector<SavedValue> ValuesToSave() const;
    // The device information controls: the four texts, the power spin
    // button and the six speed pairs.
    void EnableDeviceControls(bool enable);

    Platform& platform;
    ui::CEdit scsiVersionEdit;
    ui::CEdit serialNumberEdit;
    ui::CEdit productionEdit;
    ui::CEdit manufactureEdit;
    ui::CSpinButtonCtrl powerSpin;
    int fileSizeChoice = 0;
    int cfSpeedChoice = 0;
    int mmcSpeedChoice = 0;
    int msProSpeedChoice = 0;
    int msSpeedChoice = 0;
    int sdSpeedChoice = 0;
    int smSpeedChoice = 0;
    int functionChoice = 0;
    std::uint8_t powerConsumption = 250;
    std::map<const SettingsKey*, LoadedText> loadedTexts;
    SettingsPath settingsPath = {};
};

}  // namespace talven
