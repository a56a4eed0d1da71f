#include "platform/PageBuffer.h"

#include <sys/mman.h>

#include <utility>

namespace talven {

// Anonymous mappings are whole zeroed pages, aligned for O_DIRECT.
PageBuffer::PageBuffer(std::size_t bytes) {
    if (bytes == 0) return;
    void* mapped = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return;
    data = static_cast<std::uint8_t*>(mapped);
    size = bytes;
}

void PageBuffer::Release() {
    if (data != nullptr) ::munmap(data, size);
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
