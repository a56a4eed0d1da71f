// The controller's vendor commands and ProgramAndVerify, as the simulated
// controller received them.
#include <gtest/gtest.h>

#include "reader/ReaderDevice.h"
#include "tests/core/reader/RecordBytes.h"
#include "tests/support/TestStation.h"

namespace talven::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class VendorCommand : public ::testing::Test {
protected:
    SimulatedStation& Station() {
        if (!station) station = std::make_unique<SimulatedStation>(outer, config);
        return *station;
    }
    ReaderDevice& Device() {
        if (!device) {
            device = std::make_unique<ReaderDevice>(Station());
            EXPECT_TRUE(device->Open("E:"));
        }
        return *device;
    }
    // A 512-byte buffer whose byte i is i + 1 (mod 256), so that every byte past
    // an image is recognisable.
    static std::array<std::uint8_t, 512> Image() {
        std::array<std::uint8_t, 512> image{};
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i + 1);
        return image;
    }
    std::vector<SimEepromWrite> Writes() { return Station().Log().eepromWrites; }

    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    std::unique_ptr<SimulatedStation> station;
    std::unique_ptr<ReaderDevice> device;
};

TEST_F(VendorCommand, ChipIdentityBlockRecordAndReply) {
    ChipIdentity identity{};
    ASSERT_TRUE(Device().ReadChipIdentity(identity));
    EXPECT_EQ(identity, (ChipIdentity{0x00, 0x00, 0x53, 0x08, 0x01, 0x02, '2', '3', '0', '5', '1', '7'}));
    const SimRequest& request = Station().Log().requests.back();
    EXPECT_EQ(request.ioControlCode, 0x4D014u);
    EXPECT_EQ(Cdb(request.input), (Bytes{0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x4B, 0x56}));
    EXPECT_EQ(request.input[kAt.cdbLength], 16);
    EXPECT_EQ(request.input[kAt.dataIn], 1);
    EXPECT_EQ(U32(request.input, kAt.dataTransferLength), 12u);
    ASSERT_NE(Device().ReplyBuffer(), nullptr);
    EXPECT_EQ(Pointer(request.input, kAt.dataBuffer), reinterpret_cast<std::uintptr_t>(Device().ReplyBuffer()));
    EXPECT_EQ(Device().ReplyBuffer()[12], 0);
}

TEST_F(VendorCommand, ChipIdentityFailureLeavesTheCallersRecord) {
    DriveOf(config, 'E').faults.commands.push_back(CommandFault{0xF0, std::nullopt, false, 2});
    DriveOf(config, 'F').faults.commands.push_back(CommandFault{0xF0, std::nullopt, true, 0});
    ChipIdentity identity{};
    identity.fill(0x5A);
    EXPECT_FALSE(Device().ReadChipIdentity(identity));
    for (std::uint8_t byte : identity) EXPECT_EQ(byte, 0x5A);
    // The reply buffer was replaced by a fresh zeroed one before sending.
    ASSERT_NE(Device().ReplyBuffer(), nullptr);
    EXPECT_EQ(Bytes(Device().ReplyBuffer(), Device().ReplyBuffer() + 13), Bytes(13, 0));

    ReaderDevice failing(Station());
    ASSERT_TRUE(failing.Open("F:"));
    EXPECT_FALSE(failing.ReadChipIdentity(identity));
    for (std::uint8_t byte : identity) EXPECT_EQ(byte, 0x5A);
}

TEST_F(VendorCommand, ForeignAndSwappedIdentitiesArriveAsSent) {
    DriveOf(config, 'F').faults.identitySwapped = true;
    ReaderDevice swapped(Station());
    ASSERT_TRUE(swapped.Open("F:"));
    ChipIdentity identity{};
    ASSERT_TRUE(swapped.ReadChipIdentity(identity));
    EXPECT_EQ(identity[2], 0x08);
    EXPECT_EQ(identity[3], 0x53);
    // A fixed disk knows no vendor command.
    ReaderDevice disk(Station());
    ASSERT_TRUE(disk.Open("C:"));
    EXPECT_FALSE(disk.ReadChipIdentity(identity));
    EXPECT_EQ(Station().Log().requests.back().scsiStatus, 2);
}

TEST_F(VendorCommand, EepromWriteCarriesTenPayloadBytesWhateverTheCount) {
    const auto image = Image();
    ChipIdentity identity{};
    ASSERT_TRUE(Device().ReadChipIdentity(identity));
    ASSERT_TRUE(Device().WriteEeprom(0x1FE, 3, image.data() + 40));
    // The write releases the reply buffer; only the low 8 bits of the address go.
    EXPECT_EQ(Device().ReplyBuffer(), nullptr);
    const SimRequest& request = Station().Log().requests.back();
    EXPECT_EQ(Cdb(request.input), (Bytes{0xF2, 0x21, 0xFE, 3, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 0x4B, 0x56}));
    EXPECT_EQ(request.input[kAt.dataIn], 0);
    EXPECT_EQ(U32(request.input, kAt.dataTransferLength), 0u);
    EXPECT_EQ(Pointer(request.input, kAt.dataBuffer), 0u);
    const auto& eeprom = Station().Eeprom(0);
    EXPECT_EQ(Bytes(eeprom.begin() + 0xFE, eeprom.begin() + 0xFE + 4), (Bytes{41, 42, 43, 0xFF}));
}

TEST_F(VendorCommand, EepromReadBlockAndBuffer) {
    std::uint8_t buffer[512] = {};
    ASSERT_TRUE(Device().ReadEeprom(buffer));
    const SimRequest& request = Station().Log().requests.back();
    EXPECT_EQ(Cdb(request.input), (Bytes{0xF2, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x4B, 0x56}));
    EXPECT_EQ(request.input[kAt.dataIn], 1);
    EXPECT_EQ(U32(request.input, kAt.dataTransferLength), 512u);
    EXPECT_EQ(Pointer(request.input, kAt.dataBuffer), reinterpret_cast<std::uintptr_t>(buffer));
    EXPECT_EQ(Bytes(buffer, buffer + 512), Bytes(512, 0xFF));
}

TEST_F(VendorCommand, ProgramAndVerify110) {
    auto image = Image();
    EXPECT_TRUE(ProgramAndVerify(Device(), image.data(), 110));
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 12u);
    for (std::size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(writes[i].address, 10 * i);
        EXPECT_EQ(writes[i].count, 10);
        EXPECT_EQ(Bytes(writes[i].payload.begin(), writes[i].payload.end()),
                  Bytes(image.begin() + 10 * i, image.begin() + 10 * i + 10));
    }
    EXPECT_EQ(writes[11].address, 110);
    EXPECT_EQ(writes[11].count, 0);
    EXPECT_EQ(Bytes(writes[11].payload.begin(), writes[11].payload.end()),
              Bytes(image.begin() + 110, image.begin() + 120));
    const auto& requests = Station().Log().requests;
    ASSERT_EQ(requests.size(), 13u);
    EXPECT_EQ(Cdb(requests.back().input, 2), (Bytes{0xF2, 0x20}));
    const auto& eeprom = Station().Eeprom(0);
    EXPECT_EQ(Bytes(eeprom.begin(), eeprom.begin() + 110), Bytes(image.begin(), image.begin() + 110));
    EXPECT_EQ(Bytes(eeprom.begin() + 110, eeprom.end()), Bytes(512 - 110, 0xFF));
}

TEST_F(VendorCommand, ProgramAndVerify25And0) {
    auto image = Image();
    EXPECT_TRUE(ProgramAndVerify(Device(), image.data(), 25));
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ((Bytes{writes[0].address, writes[0].count, writes[1].address, writes[1].count, writes[2].address,
                     writes[2].count}),
              (Bytes{0, 10, 10, 10, 20, 5}));
    EXPECT_EQ(Bytes(writes[2].payload.begin(), writes[2].payload.end()), Bytes(image.begin() + 20, image.begin() + 30));
    const auto& eeprom = Station().Eeprom(0);
    EXPECT_EQ(Bytes(eeprom.begin(), eeprom.begin() + 25), Bytes(image.begin(), image.begin() + 25));
    EXPECT_EQ(eeprom[25], 0xFF);

    Station().ClearLog();
    image.fill(0xEE);
    EXPECT_TRUE(ProgramAndVerify(Device(), image.data(), 0));
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].address, 0);
    EXPECT_EQ(writes[0].count, 0);
    EXPECT_EQ(Bytes(writes[0].payload.begin(), writes[0].payload.end()), Bytes(10, 0xEE));
    EXPECT_EQ(Station().Log().requests.size(), 2u);
    EXPECT_EQ(Station().Eeprom(0)[0], 1);  // the count-0 write stored nothing
}

TEST_F(VendorCommand, RejectedWritesStillVerifyWhenTheEepromHoldsTheImage) {
    DriveOf(config, 'F').faults.commands.push_back(CommandFault{0xF2, std::uint8_t{0x21}, false, 2});
    auto image = Image();
    ASSERT_TRUE(ProgramAndVerify(Device(), image.data(), 110));
    Station().ClearLog();
    // F: is a slot of the same reader, so its EEPROM already holds the image.
    ReaderDevice rejecting(Station());
    ASSERT_TRUE(rejecting.Open("F:"));
    EXPECT_TRUE(ProgramAndVerify(rejecting, image.data(), 110));
    int rejected = 0;
    for (const SimRequest& request : Station().Log().requests)
        if (request.cdb[1] == 0x21 && request.scsiStatus == 2) ++rejected;
    EXPECT_EQ(rejected, 12);
    // A different image cannot get through the rejecting slot.
    image[5] ^= 0xFF;
    EXPECT_FALSE(ProgramAndVerify(rejecting, image.data(), 110));
}

TEST_F(VendorCommand, ReadBackFaultsFailTheVerify) {
    auto image = Image();
    DriveOf(config, 'F').faults.eepromChanges.push_back(EepromChange{109, 0x01});
    DriveOf(config, 'G').faults.eepromWritesIgnored = true;
    DriveOf(config, 'H').faults.commands.push_back(CommandFault{0xF2, std::uint8_t{0x20}, true, 0});
    // G: first, while the EEPROM is still erased; F: then stores the image.
    for (const char* drive : {"G:", "F:", "H:"}) {
        ReaderDevice device(Station());
        ASSERT_TRUE(device.Open(drive));
        EXPECT_FALSE(ProgramAndVerify(device, image.data(), 110)) << drive;
    }
    // Through E:, where nothing is changed, the image that F: and H: wrote is there.
    EXPECT_TRUE(ProgramAndVerify(Device(), image.data(), 110));
}

TEST_F(VendorCommand, ImagesLongerThanTheAddressRangeAreRefused) {
    auto image = Image();
    EXPECT_FALSE(ProgramAndVerify(Device(), image.data(), 260));
    EXPECT_TRUE(Station().Log().requests.empty());
    EXPECT_TRUE(ProgramAndVerify(Device(), image.data(), 259));
    EXPECT_EQ(Writes().back().address, 250);
    EXPECT_EQ(Writes().back().count, 9);
}

}  // namespace
}  // namespace talven::test
