// Exe only: the canary that -fstack-protector-strong checks, in place of
// GCC's libssp, whose set-up asks CryptAcquireContext for a crypto provider
// at every start (about 10 ms of the start-up under Wine). Newer MinGW-w64
// runtimes seed it the same way, from rand_s. The tests keep libssp.

#if defined(__GNUC__)

#define _CRT_RAND_S
#include <stdlib.h>
#include <windows.h>

#include <cstdint>

extern "C" {

// Until the constructor below runs; no function that checks it is on the
// stack then, only the runtime's start-up code, which is not instrumented.
void* __stack_chk_guard = reinterpret_cast<void*>(std::uintptr_t{0x2B992DDFA232});

[[noreturn]] void __stack_chk_fail() {
    // __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE), as a /GS failure ends
    // a process: at once, without running anything of the corrupted process.
    __asm__ volatile("int $0x29" : : "c"(2));
    __builtin_unreachable();
}

}  // extern "C"

namespace {

// The first code of the program's own, before wWinMain. rand_s draws from the
// system's random source, which may load a further system DLL (cryptbase.dll,
// not a KnownDLL): the DLL search is restricted to System32 first, so that it
// can never come from the exe's folder.
__attribute__((constructor, no_stack_protector)) void seedStackGuard() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    std::uintptr_t guard = 0;
    for (int half = 0; half < 2; ++half) {
        unsigned int bits = 0;
        if (rand_s(&bits) != 0) return;  // keep the fixed value
        guard = (guard << 32) | bits;
    }
    if (guard != 0) __stack_chk_guard = reinterpret_cast<void*>(guard);
}

}  // namespace

#endif  // __GNUC__
