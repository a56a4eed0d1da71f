// The record types a request is built in. Windows: the SDK's own structures,
// checked against the mirrors field by field. Elsewhere: the mirrors.
// Include only from .cpp files: on Windows this pulls in <windows.h>.
#pragma once

#include "reader/PassThroughLayout.h"

#ifdef _WIN32
#include <windows.h>
// windows.h must come first; the lean build leaves the device-control codes out.
#include <winioctl.h>
#include <ntddscsi.h>

namespace talven {

using PassThroughRecord = ::SCSI_PASS_THROUGH;
using PassThroughDirectRecord = ::SCSI_PASS_THROUGH_DIRECT;

#define TALVEN_SAME_FIELD(Sdk, Mirror, field)                                   \
    static_assert(offsetof(Sdk, field) == offsetof(Mirror, field) &&            \
                      sizeof(Sdk::field) == sizeof(Mirror::field),              \
                  #Sdk "::" #field " differs from its mirror")
#define TALVEN_SAME_RECORD(Sdk, Mirror, pointerField)                           \
    static_assert(sizeof(Sdk) == sizeof(Mirror) && alignof(Sdk) == alignof(Mirror), \
                  #Sdk " differs in size from its mirror");                     \
    TALVEN_SAME_FIELD(Sdk, Mirror, Length);                                     \
    TALVEN_SAME_FIELD(Sdk, Mirror, ScsiStatus);                                 \
    TALVEN_SAME_FIELD(Sdk, Mirror, PathId);                                     \
    TALVEN_SAME_FIELD(Sdk, Mirror, TargetId);                                   \
    TALVEN_SAME_FIELD(Sdk, Mirror, Lun);                                        \
    TALVEN_SAME_FIELD(Sdk, Mirror, CdbLength);                                  \
    TALVEN_SAME_FIELD(Sdk, Mirror, SenseInfoLength);                            \
    TALVEN_SAME_FIELD(Sdk, Mirror, DataIn);                                     \
    TALVEN_SAME_FIELD(Sdk, Mirror, DataTransferLength);                         \
    TALVEN_SAME_FIELD(Sdk, Mirror, TimeOutValue);                               \
    TALVEN_SAME_FIELD(Sdk, Mirror, pointerField);                               \
    TALVEN_SAME_FIELD(Sdk, Mirror, SenseInfoOffset);                            \
    TALVEN_SAME_FIELD(Sdk, Mirror, Cdb)

TALVEN_SAME_RECORD(SCSI_PASS_THROUGH, ScsiPassThroughMirror, DataBufferOffset);
TALVEN_SAME_RECORD(SCSI_PASS_THROUGH_DIRECT, ScsiPassThroughDirectMirror, DataBuffer);

#undef TALVEN_SAME_RECORD
#undef TALVEN_SAME_FIELD

static_assert(IOCTL_SCSI_PASS_THROUGH == 0x4D004 && IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014);
static_assert(SCSI_IOCTL_DATA_IN == kScsiDataIn && SCSI_IOCTL_DATA_OUT == kScsiDataOut &&
              SCSI_IOCTL_DATA_UNSPECIFIED == kScsiDataUnspecified);

}  // namespace talven

#else

namespace talven {

using PassThroughRecord = ScsiPassThroughMirror;
using PassThroughDirectRecord = ScsiPassThroughDirectMirror;

}  // namespace talven

#endif
