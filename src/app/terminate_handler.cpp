// The exe's terminate handler. libstdc++'s default one prints the demangled type of the escaping
// exception, which links in the whole demangler (about 70 KB); a Windows GUI program has nowhere
// to print it, so ending at once is all the default could do anyway.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
