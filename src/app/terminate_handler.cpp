// The exe's terminate handler and the standard library's error helpers. libstdc++'s default
// terminate handler prints the demangled type of the escaping exception, which links in the whole
// demangler (about 70 KB); its helpers that throw build exceptions whose messages bring both of its
// string implementations and their kin (about 35 KB). The program is built without exceptions and
// a Windows GUI program has nowhere to print them: ending at once is all either could do anyway.
#include <bits/functexcept.h>

#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std
