// Bad input to the simulated driver: records whose areas wrap or leave their
// buffers, missing buffers, and many thousands of random requests. A call that
// fails must leave the caller's buffers as they were; nothing may ever be
// written outside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "reader/ReaderDevice.h"
#include "tests/core/reader/RecordBytes.h"
#include "tests/support/TestStation.h"

namespace talven::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kBuffered = 0x4D004;
constexpr std::uint32_t kDirect = 0x4D014;
constexpr std::size_t kGuard = 64;
constexpr std::uint8_t kGuardByte = 0xA5;

void Put16(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 2; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void PutPointer(Bytes& bytes, std::size_t at, std::uint64_t value) {
    for (std::size_t i = 0; i < sizeof(void*); ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A buffer of `size` bytes followed by guard bytes the driver must never touch.
struct GuardedBuffer {
    explicit GuardedBuffer(std::size_t size, std::uint8_t fill = 0) : size(size), bytes(size + kGuard, kGuardByte) {
        std::fill(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), fill);
    }
    bool GuardIntact() const {
        return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(size), bytes.end(),
                           [](std::uint8_t b) { return b == kGuardByte; });
    }
    std::size_t size;
    Bytes bytes;
};

// A buffered INQUIRY of 36 bytes, as a caller would build it in a request of `size` bytes.
GuardedBuffer InquiryRequest(std::uint32_t size) {
    GuardedBuffer request(size);
    Bytes& r = request.bytes;
    Put16(r, kAt.length, kAt.recordSize);
    r[kAt.cdbLength] = 6;
    r[kAt.senseInfoLength] = 24;
    r[kAt.dataIn] = 1;
    Put32(r, kAt.dataTransferLength, 36);
    PutPointer(r, kAt.dataBuffer, kDataAt);
    Put32(r, kAt.senseInfoOffset, kSenseAt);
    r[kAt.cdb] = 0x12;
    r[kAt.cdb + 4] = 36;
    return request;
}

class PassThroughInput : public ::testing::Test {
protected:
    void SetUp() override {
        volume = station.CreateFileA("\\\\.\\E:", 0xC0000000u, 3, 3, 0);
        ASSERT_NE(volume, kInvalidHandle);
    }
    // Sends `request` as both input and output; the call's result. A failed
    // call must leave the buffer alone, and no call may write past it.
    bool Send(GuardedBuffer& request, std::uint32_t code = kBuffered) {
        const Bytes before = request.bytes;
        const auto size = static_cast<std::uint32_t>(request.size);
        const bool result = station.DeviceIoControl(volume, code, request.bytes.data(), size, request.bytes.data(),
                                                    size, &returned);
        EXPECT_TRUE(request.GuardIntact());
        if (!result) {
            EXPECT_EQ(request.bytes, before);
        }
        return result;
    }

    QuietPlatform outer;
    SimulatedStation station{outer, QuietDefaultStation()};
    Handle volume = kInvalidHandle;
    std::uint32_t returned = 0;
};

TEST_F(PassThroughInput, AWellFormedRecordPassesRightUpToTheBufferEnd) {
    GuardedBuffer request = InquiryRequest(kBufferedSize);
    ASSERT_TRUE(Send(request));
    EXPECT_EQ(returned, kDataAt + 36);
    EXPECT_EQ(request.bytes[kDataAt + 16], 'C');  // "CF Card"

    // Data area ending exactly at the end of the output buffer.
    GuardedBuffer tight = InquiryRequest(kDataAt + 36);
    ASSERT_TRUE(Send(tight));
    EXPECT_EQ(tight.bytes[kDataAt + 4], 31);
    // Sense area ending exactly at the end of the output buffer.
    GuardedBuffer senseAtEnd = InquiryRequest(kBufferedSize);
    Put32(senseAtEnd.bytes, kAt.senseInfoOffset, kBufferedSize - 24);
    senseAtEnd.bytes[kAt.cdb] = 0xE7;  // unknown: CHECK CONDITION with sense
    ASSERT_TRUE(Send(senseAtEnd));
    EXPECT_EQ(senseAtEnd.bytes[kAt.scsiStatus], 2);
    EXPECT_EQ(senseAtEnd.bytes[kAt.senseInfoLength], 18);
    EXPECT_EQ(senseAtEnd.bytes[kBufferedSize - 24], 0x70);
    EXPECT_EQ(senseAtEnd.bytes[kBufferedSize - 24 + 2], 0x05);
    EXPECT_EQ(returned, kBufferedSize - 24 + 18);
}

TEST_F(PassThroughInput, AreasThatWrapOrLeaveTheBufferFailTheCall) {
    const std::uint64_t minus16 = k64 ? 0xFFFFFFFFFFFFFFF0ull : 0xFFFFFFF0ull;
    const struct {
        const char* what;
        std::size_t field;
        std::uint64_t value;
        std::uint8_t dataIn;
    } cases[] = {
        {"data offset -16, data in", kAt.dataBuffer, minus16, 1},
        {"data offset -16, data out", kAt.dataBuffer, minus16, 0},
        {"data offset inside the record", kAt.dataBuffer, 8, 1},
        {"data area one past the end", kAt.dataBuffer, kBufferedSize - 35, 1},
        {"data length that wraps", kAt.dataTransferLength, 0xFFFFFFF0u, 1},
        {"sense offset that wraps", kAt.senseInfoOffset, 0xFFFFFFF0u, 1},
        {"sense offset inside the record", kAt.senseInfoOffset, 4, 1},
        {"sense area one past the end", kAt.senseInfoOffset, kBufferedSize - 23, 1},
        {"direction beyond unspecified", kAt.dataIn, 3, 3},
    };
    for (const auto& c : cases) {
        GuardedBuffer request = InquiryRequest(kBufferedSize);
        request.bytes[kAt.dataIn] = c.dataIn;
        if (c.field == kAt.dataBuffer) PutPointer(request.bytes, c.field, c.value);
        else if (c.field != kAt.dataIn) Put32(request.bytes, c.field, static_cast<std::uint32_t>(c.value));
        EXPECT_FALSE(Send(request)) << c.what;
    }
    // The same checks hold for the data length when the data goes out.
    GuardedBuffer outward = InquiryRequest(kBufferedSize);
    outward.bytes[kAt.dataIn] = 0;
    Put32(outward.bytes, kAt.dataTransferLength, kBufferedSize - kDataAt + 1);
    EXPECT_FALSE(Send(outward));
}

TEST_F(PassThroughInput, DirectDataPhasesBeyondTheAdapterMaximumFail) {
    GuardedBuffer data(0x10001, 0x5A);
    GuardedBuffer request(kDirectSize);
    Bytes& r = request.bytes;
    Put16(r, kAt.length, kAt.recordSize);
    r[kAt.cdbLength] = 16;
    r[kAt.dataIn] = 1;
    PutPointer(r, kAt.dataBuffer, reinterpret_cast<std::uintptr_t>(data.bytes.data()));
    r[kAt.cdb] = 0xF2;
    r[kAt.cdb + 1] = 0x20;
    r[kAt.cdb + 14] = 0x4B;
    r[kAt.cdb + 15] = 0x56;
    Put32(r, kAt.dataTransferLength, 0x10001);
    EXPECT_FALSE(Send(request, kDirect));
    EXPECT_EQ(data.bytes, GuardedBuffer(0x10001, 0x5A).bytes);
    Put32(r, kAt.dataTransferLength, 0x10000);
    ASSERT_TRUE(Send(request, kDirect));
    EXPECT_EQ(U32(r, kAt.dataTransferLength), 512u);
    EXPECT_EQ(data.bytes[0], 0xFF);  // an erased EEPROM
    EXPECT_EQ(data.bytes[512], 0x5A);
    EXPECT_TRUE(data.GuardIntact());
}

TEST_F(PassThroughInput, MissingOrEmptyBuffersFailWithoutCopying) {
    GuardedBuffer request = InquiryRequest(kBufferedSize);
    const auto size = static_cast<std::uint32_t>(request.size);
    std::uint8_t* bytes = request.bytes.data();
    for (const std::uint32_t code : {kBuffered, kDirect, 0x2D1400u}) {
        EXPECT_FALSE(station.DeviceIoControl(volume, code, nullptr, 0, nullptr, 0, &returned)) << code;
        EXPECT_FALSE(station.DeviceIoControl(volume, code, nullptr, 0, nullptr, 0, nullptr)) << code;
        EXPECT_FALSE(station.DeviceIoControl(volume, code, nullptr, size, bytes, size, &returned)) << code;
        EXPECT_FALSE(station.DeviceIoControl(volume, code, bytes, size, nullptr, size, &returned)) << code;
        EXPECT_FALSE(station.DeviceIoControl(volume, code, bytes, 0, bytes, 0, &returned)) << code;
        EXPECT_FALSE(station.DeviceIoControl(volume, code, bytes, size, bytes, 0, &returned)) << code;
        EXPECT_FALSE(station.DeviceIoControl(kInvalidHandle, code, bytes, size, bytes, size, &returned)) << code;
    }
    EXPECT_EQ(request.bytes, InquiryRequest(kBufferedSize).bytes);
    // An input buffer only as long as the record, and no bytes-returned location.
    EXPECT_TRUE(station.DeviceIoControl(volume, kBuffered, bytes, kAt.recordSize, bytes, size, nullptr));
    EXPECT_EQ(bytes[kDataAt + 16], 'C');
}

TEST_F(PassThroughInput, CommandsWithoutDataMoveNothing) {
    // TEST UNIT READY as a direct request with no buffer, and as a buffered
    // request whose output holds the record alone, without sense.
    GuardedBuffer direct(kDirectSize);
    Put16(direct.bytes, kAt.length, kAt.recordSize);
    direct.bytes[kAt.cdbLength] = 6;
    ASSERT_TRUE(Send(direct, kDirect));
    EXPECT_EQ(direct.bytes[kAt.scsiStatus], 0);
    GuardedBuffer bare(kAt.recordSize);
    Put16(bare.bytes, kAt.length, kAt.recordSize);
    bare.bytes[kAt.cdbLength] = 6;
    ASSERT_TRUE(Send(bare));
    EXPECT_EQ(returned, kAt.recordSize);
    EXPECT_EQ(bare.bytes[kAt.scsiStatus], 0);
}

// Random requests: garbage, and records that look right but for a field or two.
class RandomRequests {
public:
    explicit RandomRequests(std::uint32_t seed) : random(seed) {}

    std::uint32_t Below(std::uint32_t limit) {
        return std::uniform_int_distribution<std::uint32_t>(0, limit - 1)(random);
    }
    std::uint32_t Any32() { return static_cast<std::uint32_t>(random()); }
    std::uint64_t Any64() { return std::uint64_t{Any32()} << 32 | Any32(); }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

    std::uint32_t Code() {
        static const std::uint32_t codes[] = {kBuffered, kDirect, 0x2D1400, 0x4D000, 0x4D008, 0x70000};
        if (Chance(90)) return Chance(50) ? kBuffered : kDirect;
        return Chance(80) ? codes[Below(std::size(codes))] : Any32();
    }
    std::uint32_t Size() {
        switch (Below(8)) {
            case 0: return 0;
            case 6: return kBufferedSize;
            case 7: return kDirectSize;
            case 1: return kAt.recordSize;
            case 2: return kBufferedSize;
            case 3: return kDirectSize;
            case 4: return kAt.recordSize + Below(64);
            default: return Below(4097);
        }
    }
    // Mostly the offset a caller would use, else one near something
    // meaningful, or anything at all.
    std::uint64_t Offset(std::uint32_t size, std::uint32_t usual) {
        if (Chance(80)) return usual;
        switch (Below(7)) {
            case 0: return kSenseAt;
            case 1: return kDataAt;
            case 2: return size > 40 ? size - Below(40) : Below(64);
            case 3: return k64 ? 0xFFFFFFFFFFFFFFF0ull + Below(16) : 0xFFFFFFF0u + Below(16);
            case 4: return Below(kAt.recordSize);
            case 5: return Below(8192);
            default: return k64 ? Any64() : Any32();
        }
    }
    std::uint32_t Length() {
        static const std::uint32_t lengths[] = {0, 0, 12, 36, 36, 200, 512, 512, 0xFFFF, 0x10000, 0x10001};
        return Chance(80) ? lengths[Below(std::size(lengths))] : Any32() >> Below(32);
    }
    void Fill(Bytes& bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(random());
    }
    // A record that a driver might well be sent, with random flaws.
    void LookAlike(Bytes& bytes, std::uint32_t size, bool direct, std::uint8_t* data) {
        if (size < kAt.recordSize) return;
        std::fill(bytes.begin(), bytes.begin() + kAt.recordSize, 0);
        Put16(bytes, kAt.length, Chance(95) ? kAt.recordSize : Below(0x10000));
        bytes[kAt.cdbLength] = static_cast<std::uint8_t>(Chance(90) ? (Chance(50) ? 6 : 16) : Below(256));
        bytes[kAt.senseInfoLength] = static_cast<std::uint8_t>(Chance(80) ? 24 : Below(256));
        bytes[kAt.dataIn] = static_cast<std::uint8_t>(Chance(95) ? Below(3) : Below(256));
        Put32(bytes, kAt.dataTransferLength, Length());
        Put32(bytes, kAt.senseInfoOffset, static_cast<std::uint32_t>(Offset(size, kSenseAt)));
        PutPointer(bytes, kAt.dataBuffer,
                   direct ? (Chance(85) ? reinterpret_cast<std::uintptr_t>(data) : 0) : Offset(size, kDataAt));
        static const std::uint8_t operations[] = {0x00, 0x12, 0xF0, 0xF2, 0xF2, 0x03, 0x28};
        bytes[kAt.cdb] = Chance(90) ? operations[Below(std::size(operations))] : static_cast<std::uint8_t>(Below(256));
        bytes[kAt.cdb + 1] = static_cast<std::uint8_t>(Chance(80) ? 0x20 + Below(2) : Below(256));
        for (std::size_t i = 2; i < 14; ++i) bytes[kAt.cdb + i] = static_cast<std::uint8_t>(Below(256));
        if (Chance(80)) {
            bytes[kAt.cdb + 14] = 0x4B;
            bytes[kAt.cdb + 15] = 0x56;
        }
    }

private:
    std::mt19937 random;
};

// The station the random requests go to: a slot with a card, an empty slot, a
// fixed disk, an optical drive, and commands that fail or end in BUSY.
StationConfig FuzzStation() {
    StationConfig config = QuietDefaultStation();
    DriveOf(config, 'H').card.reset();
    DriveConfig optical;
    optical.letter = 'D';
    optical.kind = SimDriveKind::Optical;
    config.drives.push_back(optical);
    DriveOf(config, 'F').faults.commands.push_back(CommandFault{0xF0, std::nullopt, true, 0});
    DriveOf(config, 'F').faults.commands.push_back(CommandFault{0x12, std::nullopt, false, 8});
    DriveOf(config, 'G').faults.inquiryLength = 20;
    return config;
}

TEST(PassThroughFuzz, RandomRequestsNeverCrashOrWriteOutsideTheirBuffers) {
    QuietPlatform outer;
    SimulatedStation station(outer, FuzzStation());
    std::vector<Handle> volumes;
    for (const char* path : {"\\\\.\\C:", "\\\\.\\D:", "\\\\.\\E:", "\\\\.\\F:", "\\\\.\\G:", "\\\\.\\H:"}) {
        volumes.push_back(station.CreateFileA(path, 0xC0000000u, 3, 3, 0));
        ASSERT_NE(volumes.back(), kInvalidHandle) << path;
    }
    const Handle closed = station.CreateFileA("\\\\.\\E:", 0xC0000000u, 3, 3, 0);
    ASSERT_TRUE(station.CloseHandle(closed));
    volumes.push_back(closed);

    // A direct request's data buffer, restored after each request.
    constexpr std::uint8_t kDataFill = 0x5A;
    const GuardedBuffer untouched(0x10000, kDataFill);
    GuardedBuffer data = untouched;
    RandomRequests random(20240611);
    constexpr int kRequests = 20000;
    int answered = 0;
    int refused = 0;
    for (int n = 0; n < kRequests; ++n) {
        const std::uint32_t code = random.Code();
        const bool direct = code == kDirect;
        const std::uint32_t inSize = random.Size();
        const std::uint32_t outSize = random.Chance(75) ? inSize : random.Size();
        const bool shared = inSize == outSize && random.Chance(80);
        GuardedBuffer in(inSize);
        GuardedBuffer separate(outSize);
        GuardedBuffer& out = shared ? in : separate;
        random.Fill(in.bytes, inSize);
        if (!shared) random.Fill(out.bytes, outSize);
        if (random.Chance(85)) {
            random.LookAlike(in.bytes, inSize, direct, data.bytes.data());
        } else if (direct && inSize >= kAt.recordSize) {
            // A direct request's data address is the one field no simulation
            // can check: even in garbage it points at the caller's buffer or nowhere.
            const bool toData = random.Chance(50);
            PutPointer(in.bytes, kAt.dataBuffer, toData ? reinterpret_cast<std::uintptr_t>(data.bytes.data()) : 0);
        }
        const Bytes request = in.bytes;
        const Bytes outBefore = out.bytes;
        void* inBuffer = inSize == 0 && random.Chance(50) ? nullptr : in.bytes.data();
        void* outBuffer = outSize == 0 && random.Chance(50) ? nullptr : out.bytes.data();
        const Handle volume = volumes[random.Below(static_cast<std::uint32_t>(volumes.size()))];
        std::uint32_t returned = 0xDEADBEEF;

        const bool ok = station.DeviceIoControl(volume, code, inBuffer, inSize, outBuffer, outSize, &returned);

        ASSERT_TRUE(in.GuardIntact() && out.GuardIntact() && data.GuardIntact()) << "request " << n;
        if (!ok) {
            ++refused;
            ASSERT_EQ(out.bytes, outBefore) << "a failed call changed the output, request " << n;
            ASSERT_EQ(data.bytes, untouched.bytes) << "request " << n;
            continue;
        }
        ++answered;
        // Only a pass-through code on an open volume, with a whole record both ways, is answered.
        ASSERT_TRUE(code == kBuffered || code == kDirect) << "request " << n;
        ASSERT_NE(volume, closed);
        ASSERT_GE(inSize, kAt.recordSize);
        ASSERT_GE(outSize, kAt.recordSize);
        const Bytes& reply = out.bytes;
        ASSERT_GE(returned, kAt.recordSize) << "request " << n;
        ASSERT_LE(returned, outSize) << "request " << n;
        ASSERT_EQ(U16(reply, kAt.length), U16(request, kAt.length));
        const std::uint8_t status = reply[kAt.scsiStatus];
        ASSERT_TRUE(status == 0 || status == 2 || status == 8) << "request " << n << " status " << int{status};
        ASSERT_LE(reply[kAt.senseInfoLength], std::min<std::uint32_t>(request[kAt.senseInfoLength], 18));
        if (status == 2 && request[kAt.senseInfoLength] != 0) {
            ASSERT_EQ(reply[kAt.senseInfoLength], std::min<std::uint32_t>(request[kAt.senseInfoLength], 18));
        }
        const std::uint32_t asked = U32(request, kAt.dataTransferLength);
        const std::uint32_t moved = U32(reply, kAt.dataTransferLength);
        ASSERT_LE(moved, std::min<std::uint32_t>(asked, 512)) << "request " << n;
        // A direct request writes only the data it reports, into the caller's buffer.
        if (direct) {
            ASSERT_TRUE(std::equal(data.bytes.begin() + moved, data.bytes.end(), untouched.bytes.begin() + moved))
                << "request " << n;
            std::fill(data.bytes.begin(), data.bytes.begin() + moved, kDataFill);
        } else {
            ASSERT_EQ(data.bytes, untouched.bytes);
        }
        if (n % 1000 == 999) station.ClearLog();
    }
    // Both kinds came up often enough for the run to mean something.
    EXPECT_GT(answered, kRequests / 10);
    EXPECT_GT(refused, kRequests / 10);

    // The station still answers a well-behaved reader afterwards.
    ReaderDevice device(station);
    ASSERT_TRUE(device.Open("E:"));
    EXPECT_TRUE(device.TestUnitReady());
    std::string product;
    EXPECT_TRUE(device.Inquiry(product));
    EXPECT_EQ(product, "CF Card         ");
    ChipIdentity identity{};
    EXPECT_TRUE(device.ReadChipIdentity(identity));
    EXPECT_EQ(identity[2], 0x53);
}

}  // namespace
}  // namespace talven::test
