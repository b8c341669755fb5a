// Linked into the exe only (not into the tests, whose failures should name
// the exception). libstdc++'s default terminate handler prints the uncaught
// exception's demangled type name to stderr, which a GUI process does not
// have; its demangler is about 45 KB of the exe. This one ends the process
// the same way, without the message.

#include <cstdlib>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
#endif
