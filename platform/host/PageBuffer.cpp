#include "platform/PageBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace talven {

namespace {

// Whole pages for `size` bytes; 0 when the rounding would overflow.
std::size_t PageSpan(std::size_t size) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (size > ~std::size_t{0} - (page - 1)) return 0;
    return (size + page - 1) / page * page;
}

}  // namespace

// Anonymous mappings come zeroed and page-aligned.
PageBuffer::PageBuffer(std::size_t size) {
    const std::size_t span = PageSpan(size);
    if (span == 0) return;
    void* block = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return;
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
    if (data != nullptr) ::munmap(data, PageSpan(size));
    data = nullptr;
    size = 0;
}

}  // namespace talven
