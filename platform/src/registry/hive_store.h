// Where the current user's hive lives on disk, and safe whole-file access to it.
//
// load_user_hive() reads the file as it is now (a missing or unreadable file is an
// empty hive). update_user_hive() runs a change under an exclusive advisory lock
// on a lock file beside the hive: it reloads the file, applies the change, and
// when the change asks for it writes a temporary file that is renamed over the old
// one, so readers (which take no lock) always see a whole file. A file that had
// damaged lines is kept as "registry.bak" before it is first rewritten.
#pragma once

#include <functional>
#include <string>

#include "registry/hive.h"

namespace pw::reg {

// "$XDG_CONFIG_HOME/pagewright/registry", or "$HOME/.config/pagewright/registry".
std::string user_hive_path();

Hive load_user_hive();

// The change returns true when the hive must be written back. Returns false when
// the file could not be written (the hive on disk is then unchanged).
bool update_user_hive(const std::function<bool(Hive&)>& change);

}  // namespace pw::reg
