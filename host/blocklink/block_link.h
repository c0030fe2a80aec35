// lucentra-blocks.so: a small library linked against the printer module's
// exported page-block class, for commands that render one block on their own
// (the way other modules of the scanning application use RTFBLK).
//
// The library names "pagewright.dst" as a needed library. Load it with
// LoadLibraryA only after the printer module itself was loaded (from wherever
// it was found): the dynamic linker then binds it to that copy, by its name,
// instead of loading another one.
#pragma once

#include "kel/holders.h"
#include "kel/objects.h"
#include "pw/wintypes.h"

// The exported entry point, looked up with GetProcAddress.
constexpr const char* kBlockMetafileSymbol = "lucentra_block_metafile";

// Builds a page block for `region`, gives it `kept` as its holder (the block
// takes it over and deletes it) and `store` as its store, and draws it into a
// new memory metafile with RTFBLK::pull_to_metafile. Returns what that returns;
// on success *metafile is the caller's (DeleteMetaFile). The size in pixels and
// the resolution in dpi are written in every case.
typedef int (*BlockMetafileFn)(ETYPEDREGION* region, ESTORE* store, EBITMAP* kept, HMETAFILE* metafile,
                                          short* width, short* height, unsigned short* resolution);
