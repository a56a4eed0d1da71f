// Portable access to the string table: ids as constants and the text of an id.
#pragma once

#include "resources/Strings.h"

namespace talven {

enum StringId : unsigned {
#define TALVEN_STRING_ID(id, name, text) name = id,
    TALVEN_STRINGS(TALVEN_STRING_ID)
#undef TALVEN_STRING_ID
};

// The text of a string id, or nullptr for an id the table does not hold.
inline const char* StringText(unsigned id) {
    switch (id) {
#define TALVEN_STRING_CASE(id, name, text) \
    case id:                               \
        return text;
        TALVEN_STRINGS(TALVEN_STRING_CASE)
#undef TALVEN_STRING_CASE
    }
    return nullptr;
}

}  // namespace talven
