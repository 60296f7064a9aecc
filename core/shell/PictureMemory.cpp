#include "shell/PictureMemory.hpp"

#include "platform/Platform.hpp"

namespace vantor {

namespace {

std::size_t wholeHugePages(std::size_t bytes) noexcept
{
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Asks the kernel to back the range with huge pages when it first touches
// it. Only a hint: where it is refused, or on systems without it (Windows
// gives large pages only to privileged programs), ordinary pages serve.
void adviseHugePages(void* block, std::size_t bytes) noexcept
{
    platform::adviseHugePages(block, bytes);
}

} // namespace

void* allocateLargeBlock(std::size_t bytes)
{
    const std::size_t whole = wholeHugePages(bytes);
    void* block = ::operator new(whole, std::align_val_t{kHugePageBytes});
    adviseHugePages(block, whole);
    return block;
}

void freeLargeBlock(void* block, std::size_t bytes) noexcept
{
    // The unsized form: clang builds without sized deallocation unless asked.
    (void)bytes;
    ::operator delete(block, std::align_val_t{kHugePageBytes});
}

} // namespace vantor
