#include "print/last_error.h"

#include "pw/spool.h"

namespace pw::print {

// Per thread, like GetLastError: a failure on one thread must not show up as the
// reason of another thread's call.
thread_local std::string last_print_error;

void set_print_error(std::string reason) { last_print_error = std::move(reason); }
void clear_print_error() { last_print_error.clear(); }

}  // namespace pw::print

const char* pw_last_print_error() { return pw::print::last_print_error.c_str(); }
