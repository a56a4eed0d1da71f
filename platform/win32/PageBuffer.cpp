#include "platform/PageBuffer.h"

#include <windows.h>

#include <utility>

namespace talven {

// VirtualAlloc hands out whole pages, zeroed, on a page boundary: what
// FILE_FLAG_NO_BUFFERING asks of a transfer buffer.
PageBuffer::PageBuffer(std::size_t size) {
    if (size == 0) return;
    void* block = ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block == nullptr) return;
    data = static_cast<std::uint8_t*>(block);
    this->size = size;
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

void PageBuffer::Release() {
    if (data != nullptr) ::VirtualFree(data, 0, MEM_RELEASE);
    data = nullptr;
    size = 0;
}

}  // namespace talven
