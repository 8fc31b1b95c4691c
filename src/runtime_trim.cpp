// The C++ runtime's verbose terminate handler prints a demangled type name and drags the whole
// demangler into the executable. The program throws nothing, so ending at once is enough.
#if defined(_WIN32)
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
