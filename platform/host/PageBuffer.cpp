#include "platform/PageBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace talven {

namespace {

// Buffers of a test file's size or more lie on transparent huge pages where
// the kernel offers them: an uncached request then pins a few pages instead
// of hundreds, and the compare walks far fewer TLB entries.
constexpr std::size_t kHugePage = 2u << 20;
constexpr std::size_t kHugeFrom = 1u << 20;

std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
    if (bytes > ~std::size_t{0} - (unit - 1)) return 0;
    return (bytes + unit - 1) / unit * unit;
}

// What a buffer of `bytes` maps: whole pages, or whole huge pages.
std::size_t Span(std::size_t bytes) {
    return RoundUp(bytes, bytes >= kHugeFrom ? kHugePage : static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)));
}

// Anonymous mappings are whole zeroed pages. A huge-page span is mapped
// with room to move it onto a huge-page boundary; the rest is given back.
void* MapSpan(std::size_t span, bool huge) {
    const std::size_t slack = huge ? kHugePage : 0;
    if (span == 0 || span + slack < span) return nullptr;
    void* mapped = ::mmap(nullptr, span + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    if (!huge) return mapped;
    auto* start = static_cast<std::uint8_t*>(mapped);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
    auto* aligned = start + (RoundUp(address, kHugePage) - address);
    if (aligned > start) ::munmap(start, static_cast<std::size_t>(aligned - start));
    auto* end = start + span + slack;
    if (aligned + span < end) ::munmap(aligned + span, static_cast<std::size_t>(end - (aligned + span)));
    // Advice only: without huge pages the buffer is ordinary pages.
    ::madvise(aligned, span, MADV_HUGEPAGE);
    return aligned;
}

}  // namespace

std::uint8_t* PageBuffer::AllocatePages(std::size_t bytes) {
    return static_cast<std::uint8_t*>(MapSpan(Span(bytes), bytes >= kHugeFrom));
}

void PageBuffer::FreePages(std::uint8_t* pages, std::size_t bytes) { ::munmap(pages, Span(bytes)); }

}  // namespace talven
