// Transfer buffers for uncached test-file requests: whole pages from the
// system's page allocator, so they are aligned for any sector size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talven {

class PageBuffer {
public:
    PageBuffer() = default;
    // `size` bytes, zeroed, in whole pages; Data() is null when the memory
    // cannot be had or `size` is 0. Size() is the size asked for.
    explicit PageBuffer(std::size_t size);
    ~PageBuffer();
    PageBuffer(PageBuffer&& other) noexcept;
    PageBuffer& operator=(PageBuffer&& other) noexcept;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    std::uint8_t* Data() const { return data; }
    std::size_t Size() const { return size; }
    explicit operator bool() const { return data != nullptr; }

private:
    void Release();
    // The system's side, one for each platform: whole zeroed pages for
    // `size` bytes, or null; and their return.
    static std::uint8_t* AllocatePages(std::size_t size);
    static void FreePages(std::uint8_t* data, std::size_t size);

    std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

}  // namespace talven
