#include "blocklink/block_link.h"

#include "rtfblk.h"

extern "C" __attribute__((visibility("default"))) int lucentra_block_metafile(ETYPEDREGION* region, ESTORE* store,
                                                                             EBITMAP* kept, HMETAFILE* metafile,
                                                                             short* width, short* height,
                                                                             unsigned short* resolution) {
    RTFBLK block(region);
    block.set_bitmap(kept);
    block.set_seq(store);
    return block.pull_to_metafile(metafile, width, height, resolution);
}
