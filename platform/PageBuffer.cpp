#include "platform/PageBuffer.h"

#include <utility>

namespace talven {

PageBuffer::PageBuffer(std::size_t bytes) : data(bytes == 0 ? nullptr : AllocatePages(bytes)) {
    if (data != nullptr) size = bytes;
}

void PageBuffer::Release() {
    if (data != nullptr) FreePages(data, size);
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
