// Failures of a print job before or around the destination's work: a plug-in that
// cannot be loaded, a setting the destination or the engine refuses. what() is one
// line for the user.
#pragma once

#include <stdexcept>

namespace lucentra {

class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lucentra
