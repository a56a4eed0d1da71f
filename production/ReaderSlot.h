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
    // Its row reads "product(drive)", as in the read/write test when the
    // reader answered INQUIRY: the drive watch takes that row when the drive
    // goes. A row of the bare drive text, or of the product alone, stays.
    bool rowNamesDrive = false;
    bool recorded = false;     // a run records one verdict a slot
    // The reader's identity as its EEPROM holds it, for the record; why it
    // is unknown when it could not be read.
    std::string vendorId;
    std::string productId;
    std::string serial;
    std::string identityProblem;
};

}  // namespace talven
