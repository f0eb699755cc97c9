// setup.exe is built without C++ exceptions. libstdc++'s allocation and its few error helpers
// would still throw, and with them come the unwinder, the throw machinery and the name demangler
// of the default terminate handler (well over 100 KB). These replacements end the process instead,
// as an uncaught exception ended it before: out of memory, or a container used out of its range,
// aborts at once (exit code 3), without a further log line. Linked into setup.exe only; the tests
// keep the library's own.
#include <bits/functexcept.h>
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    std::abort();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace std {
void __throw_bad_alloc() {
    abort();
}
void __throw_bad_array_new_length() {
    abort();
}
void __throw_length_error(const char*) {
    abort();
}
void __throw_logic_error(const char*) {
    abort();
}
void __throw_out_of_range(const char*) {
    abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    abort();
}
void __throw_invalid_argument(const char*) {
    abort();
}
} // namespace std

extern "C" void __cxa_pure_virtual() {
    std::abort();
}

// The C runtime's start-up applies "pseudo relocations" (data that code reaches in a DLL without
// an import declaration) and, for a faulty one, prints a report through stdio. setup.exe imports
// no such data: its list is empty, and the general relocator with its report costs about 2 KB. A
// list that is not empty after all (a new import) would leave references unpatched, so start-up
// stops at once instead.
extern "C" char __RUNTIME_PSEUDO_RELOC_LIST__[];
extern "C" char __RUNTIME_PSEUDO_RELOC_LIST_END__[];
extern "C" void _pei386_runtime_relocator() {
    // Read through volatile: the compiler may not fold the comparison of two distinct symbols.
    const char* volatile first = __RUNTIME_PSEUDO_RELOC_LIST__;
    const char* volatile end = __RUNTIME_PSEUDO_RELOC_LIST_END__;
    if (first != end)
        std::abort();
}
