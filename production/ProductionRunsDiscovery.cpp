// Reader discovery: which drive letters are slots of a VX5308 reader, their
// rows in the list, the chip text in the status line and the wait for a card.
#include <array>
#include <cstdio>

#include "production/ConfigurationImage.h"
#include "production/ProductionRuns.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr std::uint32_t kFirstExaminedDrive = 2;  // C:; A: and B: are never examined
constexpr std::uint16_t kMaxReadyRetries = 10;    // 12 commands, 11 pauses
constexpr std::uint32_t kReadyPauseMs = 500;
constexpr std::uint32_t kScanEndPauseMs = 200;

// The status line's chip text: model, revision, then the date as month/day 'year.
std::string ChipText(const std::string& format, const ChipIdentityFields& chip) {
    char text[128];
    std::snprintf(text, sizeof text, format.c_str(), chip.model[0], chip.model[1], chip.revision[0], chip.revision[1],
                  chip.month[0], chip.month[1], chip.day[0], chip.day[1], chip.year[0], chip.year[1]);
    return text;
}

std::string Format(const std::string& format, const std::string& first, const std::string& second) {
    char text[512];
    std::snprintf(text, sizeof text, format.c_str(), first.c_str(), second.c_str());
    return text;
}

// The INQUIRY text in its blank-filled field, as a spreadsheet wants it.
std::string Trimmed(const std::string& text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

ReaderSlot& ProductionRuns::AddSlot(std::uint16_t row, const std::string& chip, const std::string& drive,
                                    const std::string& product, bool rowNamesDrive) {
    ReaderSlot slot;
    slot.number = static_cast<std::uint32_t>(slots.size() + 1);
    slot.drive = drive;
    slot.product = Trimmed(product);
    slot.chip = chip;
    slot.row = row;
    slot.rowNamesDrive = rowNamesDrive;
    view.SetRowSlot(row, slot);
    slots.push_back(slot);
    return slots.back();
}

bool ProductionRuns::ScanReaders(const SettingsSnapshot& settings) {
    const std::uint32_t driveMask = platform.GetLogicalDrives();
    view.Running() = 1;
    // A GO queued behind the one that started this run asks for a stop; the
    // test sequence notices it at its first check.
    if (view.TakePendingStop()) view.Running() = 0;
    BeginGo(settings, kProgramSection, IDS_WRITE_READ_TEST);
    ExamineDrives(driveMask, settings);
    view.Running() = 0;
    view.PumpMessages();
    platform.Sleep(kScanEndPauseMs);
    return true;
}

void ProductionRuns::ExamineDrives(std::uint32_t driveMask, const SettingsSnapshot& settings) {
    const std::uint16_t rowsBefore = view.RowCount();
    std::uint32_t accepted = 0;
    for (std::uint32_t drive = kFirstExaminedDrive; drive < kDriveLetters; ++drive) {
        if ((driveMask >> drive & 1u) != 0 && ExamineDrive(DriveText(drive), true)) ++accepted;
    }
    // A GO that found nothing says so and records it, as the EEPROM run does.
    if (view.RowCount() == rowsBefore) {
        const Verdict verdict = NewVerdict(NoReaderFace(), nullptr);
        view.InsertRow(rowsBefore, verdict.text.c_str(), verdict.icon);
        HandOn(nullptr, verdict);
    }
    if (accepted == kSlotsOfAReader) RunTestSequence(settings);
}

bool ProductionRuns::ExamineDrive(const std::string& driveText, bool waitForCard) {
    // Windows takes a drive's type from its root, backslash included.
    if (platform.GetDriveTypeA((driveText + "\\").c_str()) == kDriveRemote) return false;
    ReaderDevice device(platform);
    device.Open(driveText);  // an unopened device fails every command
    ChipIdentity identity{};
    if (!device.ReadChipIdentity(identity)) return false;
    const ChipIdentityFields chip = DecodeChipIdentity(identity);
    if (!IsVx5308(chip)) return false;
    const std::string chipText = ChipText(view.LoadText(IDS_CHIP_IDENTITY), chip);
    view.SetStatusText(chipText.c_str());

    const std::uint16_t row = view.RowCount();
    std::string product;
    std::string rowText = driveText;
    const bool answered = device.Inquiry(product);
    if (answered) rowText = waitForCard ? Format(view.LoadText(IDS_READER_ROW), product, driveText) : product;
    view.InsertRow(row, rowText.c_str(), kRowNeutral);
    ReaderSlot& slot = AddSlot(row, chipText, driveText, product, answered && waitForCard);
    if (!waitForCard) return true;
    ReadReaderIdentity(device, slot);
    if (WaitUntilReady(&device, true)) return true;
    // The wait pumps messages: the drive watch may have removed rows above.
    ShowVerdict(slot, NewVerdict(EmptySlotFace(), &slot));
    view.PumpMessages();
    return false;
}

// Before any of its slots is tested, so that each of the reader's lines in
// the record names the reader; the verdicts do not depend on it.
void ProductionRuns::ReadReaderIdentity(ReaderDevice& device, ReaderSlot& slot) {
    std::array<std::uint8_t, kWorkingBufferSize> eeprom{};
    if (!device.ReadEeprom(eeprom.data())) {
        slot.identityProblem = view.LoadText(IDS_IDENTITY_UNREAD);
        return;
    }
    const ImageIdentity identity = IdentityOf(eeprom.data());
    slot.vendorId = identity.vendorId;
    slot.productId = identity.productId;
    slot.serial = identity.serial;
}

bool ProductionRuns::WaitUntilReady(ReaderDevice* device, bool retry) {
    for (std::uint16_t tries = 0;; ++tries) {
        if (device != nullptr && device->TestUnitReady()) return true;
        if (!retry || tries > kMaxReadyRetries) return false;
        view.PumpMessages();
        platform.Sleep(kReadyPauseMs);
    }
}

std::string ProductionRuns::FindFirstReader() {
    const std::uint32_t driveMask = platform.GetLogicalDrives();
    for (std::uint32_t drive = kFirstExaminedDrive; drive < kDriveLetters; ++drive) {
        if ((driveMask >> drive & 1u) == 0) continue;
        const std::string driveText = DriveText(drive);
        if (ExamineDrive(driveText, false)) return driveText;
    }
    return {};
}

}  // namespace talven
