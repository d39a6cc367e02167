// The launcher handles no C++ exception: an allocation failure or a misused
// string would end the process either way. Defining the runtime's throw and
// terminate paths here as a plain abort keeps the exception reporting (and
// its symbol demangler, about 100 KB) out of the product.
#include <cstdlib>

namespace std {
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { abort(); }
}  // namespace __gnu_cxx
