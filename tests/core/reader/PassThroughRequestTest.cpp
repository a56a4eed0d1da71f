// The buffered and direct requests as the driver receives them, byte for byte.
#include <gtest/gtest.h>

#include "reader/ReaderDevice.h"
#include "tests/core/reader/RecordBytes.h"
#include "tests/support/TestStation.h"

namespace talven::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class PassThroughRequest : public ::testing::Test {
protected:
    SimulatedStation& Station() {
        if (!station) station = std::make_unique<SimulatedStation>(outer, config);
        return *station;
    }
    const SimRequest& OnlyRequest() {
        EXPECT_EQ(Station().Log().requests.size(), 1u);
        return Station().Log().requests.back();
    }

    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    std::unique_ptr<SimulatedStation> station;
};

TEST_F(PassThroughRequest, OpenNamesTheVolumeWithReadWriteAccessAndSharing) {
    ReaderDevice device(Station());
    EXPECT_EQ(device.DevicePath(), "");
    ASSERT_TRUE(device.Open("E:"));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.DevicePath(), "\\\\.\\E:");
    ASSERT_EQ(Station().Log().opens.size(), 1u);
    const SimOpen& open = Station().Log().opens[0];
    EXPECT_EQ(open.path, "\\\\.\\E:");
    EXPECT_EQ(open.desiredAccess, 0xC0000000u);
    EXPECT_EQ(open.shareMode, 3u);
    EXPECT_EQ(open.creationDisposition, 3u);
    EXPECT_EQ(open.flagsAndAttributes, 0u);
}

TEST_F(PassThroughRequest, DestructionClosesTheVolumeAndASecondOpenClosesTheFirst) {
    {
        ReaderDevice device(Station());
        ASSERT_TRUE(device.Open("E:"));
        const Handle first = device.VolumeHandle();
        ASSERT_TRUE(device.Open("F:"));
        EXPECT_NE(device.VolumeHandle(), first);
        EXPECT_EQ(Station().Log().closes, 1u);
        EXPECT_EQ(Station().OpenHandles(), 1u);
        EXPECT_EQ(device.DevicePath(), "\\\\.\\F:");
    }
    EXPECT_EQ(Station().Log().closes, 2u);
    EXPECT_EQ(Station().OpenHandles(), 0u);
}

TEST_F(PassThroughRequest, ADriveTextTooLongForThePathIsRefusedWithoutACall) {
    ReaderDevice device(Station());
    EXPECT_TRUE(device.Open(std::string(255, 'x')) == false);  // no such device, but it was tried
    EXPECT_EQ(Station().Log().opens.size(), 1u);
    EXPECT_EQ(Station().Log().opens[0].path.size(), 259u);
    EXPECT_FALSE(device.Open(std::string(256, 'x')));
    EXPECT_EQ(Station().Log().opens.size(), 1u);
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(PassThroughRequest, TestUnitReadyRecord) {
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    EXPECT_TRUE(device.TestUnitReady());
    const SimRequest& request = OnlyRequest();
    EXPECT_EQ(request.ioControlCode, 0x4D004u);
    EXPECT_EQ(request.inBufferSize, kAt.recordSize);
    EXPECT_EQ(request.outBufferSize, kDataAt);
    const Bytes& in = request.input;
    EXPECT_EQ(U16(in, kAt.length), kAt.recordSize);
    EXPECT_EQ(in[kAt.scsiStatus], 0);
    EXPECT_EQ(in[kAt.pathId], 0);
    EXPECT_EQ(in[kAt.targetId], 0);
    EXPECT_EQ(in[kAt.lun], 0);
    EXPECT_EQ(in[kAt.cdbLength], 6);
    EXPECT_EQ(in[kAt.senseInfoLength], 24);
    EXPECT_EQ(in[kAt.dataIn], 1);
    EXPECT_EQ(U32(in, kAt.dataTransferLength), 0u);
    EXPECT_EQ(U32(in, kAt.timeOutValue), 2u);
    EXPECT_EQ(Pointer(in, kAt.dataBuffer), kDataAt);
    EXPECT_EQ(U32(in, kAt.senseInfoOffset), kSenseAt);
    EXPECT_EQ(Cdb(in), Bytes(16, 0));
    // Every byte not named above is zero, padding included.
    Bytes named = in;
    for (std::size_t at : {kAt.length, kAt.length + 1, kAt.cdbLength, kAt.senseInfoLength, kAt.dataIn,
                           kAt.timeOutValue, kAt.dataBuffer, kAt.senseInfoOffset})
        named[at] = 0;
    EXPECT_EQ(named, Bytes(kAt.recordSize, 0));
}

TEST_F(PassThroughRequest, TestUnitReadyIsFalseWithoutACardAndWhenTheCallFails) {
    DriveOf(config, 'F').card.reset();
    DriveOf(config, 'G').faults.commands.push_back(CommandFault{0x00, std::nullopt, true, 0});
    ReaderDevice withoutCard(Station());
    ASSERT_TRUE(withoutCard.Open("F:"));
    EXPECT_FALSE(withoutCard.TestUnitReady());
    EXPECT_EQ(Station().Log().requests.back().scsiStatus, 2);
    ReaderDevice failing(Station());
    ASSERT_TRUE(failing.Open("G:"));
    EXPECT_FALSE(failing.TestUnitReady());
    EXPECT_FALSE(Station().Log().requests.back().callSucceeded);
}

TEST_F(PassThroughRequest, InquiryRecordAndProductText) {
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    std::string text = "before";
    EXPECT_TRUE(device.Inquiry(text));
    // Sixteen characters, the blanks that fill the field included.
    EXPECT_EQ(text, "CF Card         ");
    const SimRequest& request = OnlyRequest();
    EXPECT_EQ(request.ioControlCode, 0x4D004u);
    EXPECT_EQ(request.inBufferSize, kAt.recordSize);
    EXPECT_EQ(request.outBufferSize, kBufferedSize);
    const Bytes& in = request.input;
    EXPECT_EQ(U32(in, kAt.dataTransferLength), 200u);
    EXPECT_EQ(U32(in, kAt.timeOutValue), 2u);
    EXPECT_EQ(in[kAt.pathId] | in[kAt.targetId] | in[kAt.lun], 0);
    EXPECT_EQ(Cdb(in), (Bytes{0x12, 0, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Pointer(in, kAt.dataBuffer), kDataAt);
}

TEST_F(PassThroughRequest, InquiryWithSixteenNonBlankCharacters) {
    DriveOf(config, 'E').product = "ABCDEFGHIJKLMNOP";
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    std::string text;
    EXPECT_TRUE(device.Inquiry(text));
    EXPECT_EQ(text, "ABCDEFGHIJKLMNOP");
}

TEST_F(PassThroughRequest, InquiryShortRepliesReadAsZeroBytes) {
    DriveOf(config, 'E').faults.inquiryLength = 20;
    DriveOf(config, 'F').faults.inquiryLength = 16;
    ReaderDevice partial(Station());
    ASSERT_TRUE(partial.Open("E:"));
    std::string text = "old";
    EXPECT_TRUE(partial.Inquiry(text));
    EXPECT_EQ(text, "CF C");
    ReaderDevice none(Station());
    ASSERT_TRUE(none.Open("F:"));
    text = "old";
    EXPECT_TRUE(none.Inquiry(text));
    EXPECT_EQ(text, "");
}

TEST_F(PassThroughRequest, InquiryStatusOrFailureLeavesTheText) {
    DriveOf(config, 'E').faults.commands.push_back(CommandFault{0x12, std::nullopt, false, 2});
    DriveOf(config, 'F').faults.commands.push_back(CommandFault{0x12, std::nullopt, true, 0});
    ReaderDevice status(Station());
    ASSERT_TRUE(status.Open("E:"));
    std::string text = "kept";
    EXPECT_TRUE(status.Inquiry(text));
    EXPECT_EQ(text, "kept");
    ReaderDevice failing(Station());
    ASSERT_TRUE(failing.Open("F:"));
    EXPECT_FALSE(failing.Inquiry(text));
    EXPECT_EQ(text, "kept");
}

TEST_F(PassThroughRequest, DirectRecordDiffersFromBufferedInAddressAndTimeout) {
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    std::uint8_t data[8] = {};
    const std::uint8_t cdb[16] = {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0x4B, 0x56};
    std::uint32_t returned = 0;
    EXPECT_TRUE(device.SendDirect(1, &returned, cdb, 6, data, sizeof data));
    const SimRequest& request = OnlyRequest();
    EXPECT_EQ(request.ioControlCode, 0x4D014u);
    EXPECT_EQ(request.inBufferSize, kDirectSize);
    EXPECT_EQ(request.outBufferSize, kDirectSize);
    const Bytes& in = request.input;
    EXPECT_EQ(U16(in, kAt.length), kAt.recordSize);
    EXPECT_EQ(in[kAt.pathId], 0xFF);
    EXPECT_EQ(in[kAt.targetId], 0xFF);
    EXPECT_EQ(in[kAt.lun], 0xFF);
    EXPECT_EQ(in[kAt.cdbLength], 6);
    EXPECT_EQ(in[kAt.senseInfoLength], 24);
    EXPECT_EQ(in[kAt.dataIn], 1);
    EXPECT_EQ(U32(in, kAt.dataTransferLength), 8u);
    EXPECT_EQ(U32(in, kAt.timeOutValue), 10u);
    EXPECT_EQ(Pointer(in, kAt.dataBuffer), reinterpret_cast<std::uintptr_t>(data));
    EXPECT_EQ(U32(in, kAt.senseInfoOffset), kSenseAt);
    // Only the first CdbLength bytes of the block are copied.
    EXPECT_EQ(Cdb(in), (Bytes{0xF0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(in.begin() + kAt.recordSize, in.end()), Bytes(kDirectSize - kAt.recordSize, 0));
}

TEST_F(PassThroughRequest, TwoDirectRequestsInARowShareNoStatusOrSense) {
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    const std::uint8_t payload[10] = {};
    // A count above ten is refused with CHECK CONDITION and sense data.
    EXPECT_FALSE(device.WriteEeprom(0, 11, payload));
    const Bytes first(device.DirectRequest(), device.DirectRequest() + kDirectSize);
    EXPECT_EQ(first[kAt.scsiStatus], 2);
    EXPECT_EQ(first[kSenseAt], 0x70);
    EXPECT_EQ(first[kSenseAt + 2], 0x05);

    std::uint8_t eeprom[512];
    EXPECT_TRUE(device.ReadEeprom(eeprom));
    ASSERT_EQ(Station().Log().requests.size(), 2u);
    const Bytes& sent = Station().Log().requests[1].input;
    EXPECT_EQ(sent[kAt.scsiStatus], 0);
    EXPECT_EQ(Bytes(sent.begin() + kSenseAt, sent.end()), Bytes(kDirectSize - kSenseAt, 0));
    const Bytes second(device.DirectRequest(), device.DirectRequest() + kDirectSize);
    EXPECT_EQ(second[kAt.scsiStatus], 0);
    EXPECT_EQ(device.ScsiStatus(), 0);
    EXPECT_EQ(Bytes(second.begin() + kSenseAt, second.end()), Bytes(kDirectSize - kSenseAt, 0));
}

TEST_F(PassThroughRequest, ADeviceThatNeverOpenedSendsNothingAndClosesNothing) {
    DriveOf(config, 'E').faults.openFails = true;
    {
        ReaderDevice device(Station());
        EXPECT_FALSE(device.Open("E:"));
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(device.DevicePath(), "\\\\.\\E:");
        EXPECT_FALSE(device.TestUnitReady());
        std::string text = "kept";
        EXPECT_FALSE(device.Inquiry(text));
        EXPECT_EQ(text, "kept");
        ChipIdentity identity{};
        identity.fill(0x11);
        EXPECT_FALSE(device.ReadChipIdentity(identity));
        EXPECT_EQ(identity[0], 0x11);
        EXPECT_EQ(device.ReplyBuffer(), nullptr);
        std::uint8_t image[512] = {1, 2, 3};
        EXPECT_FALSE(device.WriteEeprom(0, 3, image));
        EXPECT_FALSE(device.ReadEeprom(image));
        EXPECT_FALSE(ProgramAndVerify(device, image, 110));
        std::uint8_t zeros[20] = {};
        // Nothing written, nothing read: only an all-zero image compares equal.
        EXPECT_TRUE(ProgramAndVerify(device, zeros, 10));
    }
    EXPECT_TRUE(Station().Log().requests.empty());
    EXPECT_EQ(Station().Log().closes, 0u);
}

}  // namespace
}  // namespace talven::test
