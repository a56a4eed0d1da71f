// A reader slot as discovery found it: made once, then its row and the
// record know the slot by it, never by the row's text.
#pragma once

#include <cstdint>
#include <string>

namespace talven {

struct ReaderSlot {
    std::uint32_t number = 0;  // its row's slot number; a run's first slot is 1
    std::string drive;         // "E:"
    std::string product;       // the INQUIRY text, the blanks after it left off
    std::string chip;          // the chip text as the status line showed it
    std::uint16_t row = 0;     // where discovery listed it; looked at first
    bool recorded = false;     // a run records one verdict a slot
};

}  // namespace talven
