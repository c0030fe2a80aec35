// The plug-in module: its application object, the table of destinations it made
// and the two factory exports.
//
// Loading the module builds its static objects, then InitInstance makes
// destination 0. NewClass makes more, at most five over the module's life
// (entries are never reused); DeleteClass releases one and answers 1 when none is
// left. Unloading destroys what remains, the last made first.
#pragma once

#include "edstprnt.h"

constexpr int kInstanceTableSize = 5;

// Module-wide state (one copy per loaded module).
extern PW_EXPORT EDESTIN_PRINTER* instance_table[kInstanceTableSize];
extern PW_EXPORT int32_t instance_count;

extern "C" {
// -1 when the table is full or creation failed; else 0 when the new destination
// registered itself in the engine registry, or its entry index when it chained
// itself to a waiting chain head.
PW_EXPORT int NewClass();
// Releases entry `index` (nothing for an index outside 0..4 or an empty entry);
// 1 when the module holds no destination any more, else 0.
PW_EXPORT int DeleteClass(int index);
}
