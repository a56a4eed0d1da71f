#include "sim/SimulatedStation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "reader/PassThroughLayout.h"

namespace talven {

namespace {

static_assert(sizeof(ScsiPassThroughMirror) == sizeof(ScsiPassThroughDirectMirror) &&
                  offsetof(ScsiPassThroughMirror, SenseInfoOffset) ==
                      offsetof(ScsiPassThroughDirectMirror, SenseInfoOffset),
              "the two records differ only in the data address");
constexpr std::uint32_t kRecordSize = sizeof(ScsiPassThroughMirror);

// Whether `length` bytes from `offset` lie between `floor` and `limit`;
// computed so that no offset or length can wrap around.
bool AreaFits(std::uint64_t offset, std::uint64_t length, std::uint64_t floor, std::uint64_t limit) {
    return offset >= floor && offset <= limit && length <= limit - offset;
}

// The checks the driver makes before a command reaches the device. Areas in
// the system buffer lie after the record and within the buffer their data
// travels in: output for sense data and data in, input for data out.
bool RecordPasses(const ScsiPassThroughMirror& record, bool direct, std::uint32_t inSize, std::uint32_t outSize) {
    if (record.Length != kRecordSize || record.CdbLength == 0 || record.CdbLength > sizeof record.Cdb) return false;
    if (record.DataIn > kScsiDataUnspecified || record.DataTransferLength > kSimMaxTransferLength) return false;
    if (record.SenseInfoLength != 0 && !AreaFits(record.SenseInfoOffset, record.SenseInfoLength, kRecordSize, outSize))
        return false;
    if (direct || record.DataTransferLength == 0) return true;
    const std::uint32_t limit = record.DataIn == kScsiDataIn    ? outSize
                                : record.DataIn == kScsiDataOut ? inSize
                                                                : std::min(inSize, outSize);
    return AreaFits(record.DataBufferOffset, record.DataTransferLength, kRecordSize, limit);
}

// A pass-through request as read from the system buffer.
struct PassThroughRequest {
    ScsiPassThroughMirror record;
    bool direct = false;
    std::array<std::uint8_t, sizeof record.Cdb> cdb{};
    SimCommand command;
};

// Where the data of a request that moves data lies: in the system buffer, or
// for the direct record at the caller's address.
bool FindData(PassThroughRequest& request, std::uint8_t* system) {
    if (request.command.length == 0) return true;
    if (!request.direct) {
        request.command.data = system + request.record.DataBufferOffset;
        return true;
    }
    ScsiPassThroughDirectMirror directRecord;
    std::memcpy(&directRecord, system, sizeof directRecord);
    request.command.data = static_cast<std::uint8_t*>(directRecord.DataBuffer);
    return request.command.data != nullptr;
}

bool ReadRequest(std::uint32_t code, const std::uint8_t* system, std::uint32_t systemSize, std::uint32_t inSize,
                 std::uint32_t outSize, PassThroughRequest& request) {
    request.direct = code == kIoctlScsiPassThroughDirect;
    if (!request.direct && code != kIoctlScsiPassThrough) return false;
    if (inSize < kRecordSize || outSize < kRecordSize || systemSize < std::max(inSize, outSize)) return false;
    std::memcpy(&request.record, system, sizeof request.record);
    if (!RecordPasses(request.record, request.direct, inSize, outSize)) return false;
    request.command.dataIn = request.record.DataIn;
    request.command.length = request.record.DataTransferLength;
    std::memcpy(request.cdb.data(), request.record.Cdb, request.record.CdbLength);
    request.command.cdb = request.cdb.data();
    return true;
}

// The status, the length moved and the sense data go back into the record;
// the bytes returned reach to the end of the last area written.
void WriteAnswer(const PassThroughRequest& request, const SimAnswer& answer, std::uint8_t* system,
                 std::uint32_t outSize, std::uint32_t* bytesReturned) {
    const ScsiPassThroughMirror& record = request.record;
    system[offsetof(ScsiPassThroughMirror, ScsiStatus)] = answer.status;
    std::memcpy(system + offsetof(ScsiPassThroughMirror, DataTransferLength), &answer.transferred,
                sizeof answer.transferred);
    const std::uint8_t senseLength = std::min(answer.senseLength, record.SenseInfoLength);
    if (senseLength != 0) std::memcpy(system + record.SenseInfoOffset, answer.sense.data(), senseLength);
    system[offsetof(ScsiPassThroughMirror, SenseInfoLength)] = senseLength;

    std::uint64_t returned = kRecordSize;
    if (senseLength != 0)
        returned = std::max<std::uint64_t>(returned, std::uint64_t{record.SenseInfoOffset} + senseLength);
    if (!request.direct && record.DataIn == kScsiDataIn && answer.transferred != 0)
        returned = std::max<std::uint64_t>(returned, std::uint64_t{record.DataBufferOffset} + answer.transferred);
    if (bytesReturned != nullptr)
        *bytesReturned = static_cast<std::uint32_t>(std::min<std::uint64_t>(returned, outSize));
}

}  // namespace

bool SimulatedStation::DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer,
                                       std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                                       std::uint32_t* bytesReturned) {
    ApplyTimedFaults();
    SimRequest entry;
    entry.ioControlCode = ioControlCode;
    entry.inBufferSize = inBufferSize;
    entry.outBufferSize = outBufferSize;
    // A size without its buffer is an invalid parameter, whatever the code.
    const bool buffersGiven =
        (inBuffer != nullptr || inBufferSize == 0) && (outBuffer != nullptr || outBufferSize == 0);
    if (buffersGiven && inBufferSize != 0) {
        const auto* in = static_cast<const std::uint8_t*>(inBuffer);
        entry.input.assign(in, in + inBufferSize);
    }
    OpenHandle* handle = FindHandle(device, HandleKind::Device);
    Drive* drive = handle == nullptr ? nullptr : FindDrive(handle->letter);
    const std::uint32_t systemSize = std::max(inBufferSize, outBufferSize);
    bool succeeded = false;
    if (drive != nullptr && buffersGiven && systemSize <= kSimMaxSystemBuffer) {
        entry.drive = handle->letter;
        // As a buffered device control does: one system buffer that receives
        // the input and from which the output is copied back.
        std::vector<std::uint8_t> system(systemSize, 0);
        if (inBufferSize != 0) std::memcpy(system.data(), inBuffer, inBufferSize);
        succeeded = AnswerRequest(*drive, ioControlCode, system.data(), systemSize, inBufferSize, outBufferSize,
                                  bytesReturned, entry);
        if (succeeded && outBufferSize != 0) std::memcpy(outBuffer, system.data(), outBufferSize);
    }
    if (succeeded && outBufferSize != 0) {
        const auto* out = static_cast<const std::uint8_t*>(outBuffer);
        entry.output.assign(out, out + outBufferSize);
    }
    entry.callSucceeded = succeeded;
    log.requests.push_back(std::move(entry));
    return succeeded;
}

bool SimulatedStation::AnswerRequest(Drive& drive, std::uint32_t code, std::uint8_t* system,
                                     std::uint32_t systemSize, std::uint32_t inSize, std::uint32_t outSize,
                                     std::uint32_t* bytesReturned, SimRequest& entry) {
    PassThroughRequest request;
    if (!ReadRequest(code, system, systemSize, inSize, outSize, request) || !FindData(request, system)) return false;
    request.command.drive = entry.drive;
    std::memcpy(entry.cdb.data(), request.cdb.data(), request.cdb.size());
    entry.cdbLength = request.record.CdbLength;

    const SimAnswer answer =
        ControllerOf(drive).Execute(SimSlot{drive.config, MediumPresent(drive)}, request.command, log);
    if (answer.callFails) return false;
    entry.scsiStatus = answer.status;
    WriteAnswer(request, answer, system, outSize, bytesReturned);
    return true;
}

}  // namespace talven
