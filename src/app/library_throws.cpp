// The exe's own versions of the helpers the standard library calls to throw. The library's
// versions build std::logic_error and its kin, whose message is a reference-counted string of
// the old ABI: those two string implementations cost about 30 KB of a 200 KB program. Nothing in
// the program catches these by type (a fault reaching the message loop ends the program), so an
// exception carrying the library's message text as it stands is all that is needed.
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryFault : public std::exception {
public:
    explicit LibraryFault(const char* message) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_;  // the library passes string literals
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* message) { throw LibraryFault(message); }
void __throw_domain_error(const char* message) { throw LibraryFault(message); }
void __throw_invalid_argument(const char* message) { throw LibraryFault(message); }
void __throw_length_error(const char* message) { throw LibraryFault(message); }
void __throw_out_of_range(const char* message) { throw LibraryFault(message); }
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryFault(format); }
void __throw_runtime_error(const char* message) { throw LibraryFault(message); }
void __throw_range_error(const char* message) { throw LibraryFault(message); }
void __throw_overflow_error(const char* message) { throw LibraryFault(message); }
void __throw_underflow_error(const char* message) { throw LibraryFault(message); }

}  // namespace std
