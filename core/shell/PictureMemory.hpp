#pragma once
// Memory for picture buffers. Blocks of kLargeBlockBytes (1 MiB) and more
// are taken whole in 2 MiB units aligned to 2 MiB and offered to the kernel
// for huge pages, so a fresh 3 MB ground picture costs two page faults
// instead of seven hundred; smaller blocks come from the ordinary heap.
// Elements of trivial types are left uninitialised when no value is given
// (a plain resize()), so a picture whose every pixel is about to be written
// is not first cleared.

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

namespace vantor {

// From this size on a block is taken in whole huge-page units.
inline constexpr std::size_t kLargeBlockBytes = std::size_t{1} << 20;
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// A block of at least `bytes` bytes (kLargeBlockBytes or more), aligned to
// kHugePageBytes; throws std::bad_alloc. Free it with freeLargeBlock(p, bytes).
void* allocateLargeBlock(std::size_t bytes);
void freeLargeBlock(void* block, std::size_t bytes) noexcept;

template <typename T>
struct PictureAllocator {
    using value_type = T;

    PictureAllocator() noexcept = default;
    template <typename U>
    PictureAllocator(const PictureAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        if (n * sizeof(T) >= kLargeBlockBytes)
            return static_cast<T*>(allocateLargeBlock(n * sizeof(T)));
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n * sizeof(T) >= kLargeBlockBytes)
            freeLargeBlock(p, n * sizeof(T));
        else
            std::allocator<T>().deallocate(p, n);
    }

    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const PictureAllocator&, const PictureAllocator&) noexcept { return true; }
};

} // namespace vantor
