#include "platform/PageBuffer.h"

#include <windows.h>

namespace talven {

// VirtualAlloc hands out whole zeroed pages, aligned for every sector size.
std::uint8_t* PageBuffer::AllocatePages(std::size_t bytes) {
    return static_cast<std::uint8_t*>(::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void PageBuffer::FreePages(std::uint8_t* pages, std::size_t) { ::VirtualFree(pages, 0, MEM_RELEASE); }

}  // namespace talven
