// The tests' wrappers of a seam start from the forwarding one.
#pragma once

#include "platform/ForwardingPlatform.h"

namespace talven::test {

using ForwardingPlatform = talven::ForwardingPlatform;

}  // namespace talven::test
