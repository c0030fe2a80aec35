// The reason of the last failed printer call, per thread (pw_last_print_error).
#pragma once

#include <string>

namespace pw::print {

void set_print_error(std::string reason);
void clear_print_error();

}  // namespace pw::print
