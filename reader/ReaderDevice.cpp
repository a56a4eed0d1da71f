#include "reader/ReaderDevice.h"

#include <cstring>

#include "reader/PassThroughRecords.h"

namespace talven {

namespace {

constexpr std::uint32_t kBufferedTimeoutSeconds = 2;
constexpr std::uint32_t kDirectTimeoutSeconds = 10;
constexpr std::uint32_t kInquiryLength = 200;

}  // namespace

ReaderDevice::ReaderDevice(Platform& platform) : platform(platform) {}

ReaderDevice::~ReaderDevice() { CloseVolume(); }

void ReaderDevice::CloseVolume() {
    if (volumeHandle != kInvalidHandle) {
        platform.CloseHandle(volumeHandle);
        volumeHandle = kInvalidHandle;
    }
}

bool ReaderDevice::Open(std::string driveText) {
    // A second Open must not leak the volume opened by the first.
    CloseVolume();
    devicePath.clear();
    // A longer text would not fit the path buffer; refuse it instead of cutting
    // it into the name of some other device.
    if (driveText.size() > kMaxDriveText) return false;

    char path[kMaxPath] = {};
    std::memcpy(path, "\\\\.\\", 4);
    std::memcpy(path + 4, driveText.data(), driveText.size());
    devicePath = path;

    volumeHandle = platform.CreateFileA(path, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                                        kOpenExisting, 0);
    return volumeHandle != kInvalidHandle;
}

bool ReaderDevice::SendBuffered(const std::uint8_t (&cdb)[6], std::uint32_t transferLength,
                                std::uint32_t outputLength, std::uint8_t* request) {
    PassThroughRecord record;
    std::memset(&record, 0, sizeof record);
    record.Length = sizeof record;
    record.CdbLength = sizeof cdb;
    record.SenseInfoLength = kSenseInfoLength;
    record.DataIn = kScsiDataIn;
    record.DataTransferLength = transferLength;
    record.TimeOutValue = kBufferedTimeoutSeconds;
    record.DataBufferOffset = kBufferedDataOffset;
    record.SenseInfoOffset = kBufferedSenseOffset;
    std::memcpy(record.Cdb, cdb, sizeof cdb);
    std::memcpy(request, &record, sizeof record);

    std::uint32_t returned = 0;
    return platform.DeviceIoControl(volumeHandle, kIoctlScsiPassThrough, request, sizeof record, request,
                                    outputLength, &returned);
}

bool ReaderDevice::TestUnitReady() {
    if (!IsOpen()) return false;
    alignas(8) std::uint8_t request[kBufferedRequestSize] = {};
    const std::uint8_t cdb[6] = {kScsiTestUnitReady, 0, 0, 0, 0, 0};
    if (!SendBuffered(cdb, 0, kBufferedDataOffset, request)) return false;
    return request[offsetof(PassThroughRecord, ScsiStatus)] == kScsiStatusGood;
}

bool ReaderDevice::Inquiry(std::string& product) {
    if (!IsOpen()) return false;
    alignas(8) std::uint8_t request[kBufferedRequestSize] = {};
    std::uint8_t cdb[6] = {kScsiInquiry, 0, 0, 0, 0, 0};
    cdb[kInquiryAllocationLengthAt] = kInquiryLength;
    if (!SendBuffered(cdb, kInquiryLength, kBufferedRequestSize, request)) return false;
    if (request[offsetof(PassThroughRecord, ScsiStatus)] == kScsiStatusGood) {
        const char* field = reinterpret_cast<const char*>(request + kBufferedDataOffset + kInquiryProductAt);
        const void* end = std::memchr(field, 0, kInquiryProductLength);
        product.assign(field, end ? static_cast<const char*>(end) - field : kInquiryProductLength);
    }
    return true;
}

bool ReaderDevice::SendDirect(std::uint8_t direction, std::uint32_t* returned, const std::uint8_t* cdb,
                              std::uint8_t cdbLength, void* data, std::uint32_t dataLength) {
    // Zeroing the whole record drops the previous request's status and sense.
    directRequest.fill(0);
    PassThroughDirectRecord record;
    std::memset(&record, 0, sizeof record);
    record.Length = sizeof record;
    record.PathId = kScsiAddressNone;
    record.TargetId = kScsiAddressNone;
    record.Lun = kScsiAddressNone;
    record.CdbLength = cdbLength;
    record.SenseInfoLength = kSenseInfoLength;
    record.DataIn = direction;
    record.DataTransferLength = dataLength;
    record.TimeOutValue = kDirectTimeoutSeconds;
    record.DataBuffer = data;
    record.SenseInfoOffset = kDirectSenseOffset;
    const std::size_t copied = cdbLength < sizeof record.Cdb ? cdbLength : sizeof record.Cdb;
    if (cdb != nullptr) std::memcpy(record.Cdb, cdb, copied);
    std::memcpy(directRequest.data(), &record, sizeof record);

    return platform.DeviceIoControl(volumeHandle, kIoctlScsiPassThroughDirect, directRequest.data(),
                                    kDirectRequestSize, directRequest.data(), kDirectRequestSize, returned);
}

std::uint8_t ReaderDevice::ScsiStatus() const {
    return directRequest[offsetof(PassThroughDirectRecord, ScsiStatus)];
}

}  // namespace talven
