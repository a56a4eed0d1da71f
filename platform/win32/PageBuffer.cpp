#include "platform/PageBuffer.h"

#include <windows.h>

#include <utility>

namespace talven {

// VirtualAlloc hands out whole zeroed pages, aligned for every sector size.
PageBuffer::PageBuffer(std::size_t bytes) {
    if (bytes == 0) return;
    data = static_cast<std::uint8_t*>(::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (data != nullptr) size = bytes;
}

void PageBuffer::Release() {
    if (data != nullptr) ::VirtualFree(data, 0, MEM_RELEASE);
    data = nullptr;
    size = 0;
}

PageBuffer::~PageBuffer() { Release(); }

PageBuffer::PageBuffer(PageBuffer&& other) noexcept
    : data(std::exchange(other.data, nullptr)), size(std::exchange(other.size, 0)) {}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data = std::exchange(other.data, nullptr);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

}  // namespace talven
