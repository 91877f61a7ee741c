// The few pieces of the C++ runtime the program uses, in the form it needs them. Nothing here
// catches an exception, so running out of memory or misusing a library container ends the
// program at once, as an uncaught exception would; the throwing versions would only bring the
// unwinder, the exception classes and the verbose terminate handler into the .exe.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
    // malloc(0) may return null; new must hand back a distinct pointer.
    if (void* memory = std::malloc(size != 0 ? size : 1))
        return memory;
    std::abort();
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

#if defined(__GLIBCXX__)
// libstdc++'s containers report a length or logic error through these; its own versions throw.
#include <bits/functexcept.h>

namespace std {
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_out_of_range(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
} // namespace std
#endif
