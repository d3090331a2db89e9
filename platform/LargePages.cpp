#include "platform/LargePages.h"

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace platform {

namespace {

constexpr size_t LargePage = size_t{2} << 20;

size_t WholeLargePages(size_t bytes)
{
    return (bytes + LargePage - 1) / LargePage * LargePage;
}

class LargePageResource : public std::pmr::memory_resource {
private:
    void* do_allocate(size_t bytes, size_t alignment) override
    {
        if (bytes < LargePage)
            return std::pmr::new_delete_resource()->allocate(bytes, alignment);
        // The kernel places a mapping of whole large pages on a large-page boundary.
        void* memory = ::mmap(nullptr, WholeLargePages(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        // Only advice: where large pages are off, the memory is ordinary memory.
        ::madvise(memory, WholeLargePages(bytes), MADV_HUGEPAGE);
        return memory;
    }

    void do_deallocate(void* memory, size_t bytes, size_t alignment) override
    {
        if (bytes < LargePage)
            std::pmr::new_delete_resource()->deallocate(memory, bytes, alignment);
        else
            ::munmap(memory, WholeLargePages(bytes));
    }

    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

} // namespace

std::pmr::memory_resource& LargePageMemory()
{
    static LargePageResource resource;
    return resource;
}

} // namespace platform
