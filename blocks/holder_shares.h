// Shared ownership of block holders.
//
// A block's member list is fixed (seq, holder, region, id, box), so the count
// of blocks sharing one holder lives here, in a module-wide table keyed by the
// holder's address. A holder that only one block refers to has no entry; each
// copy of a block adds one. Only blocks call these.
#pragma once

class EHOLDER;

namespace rtfblk_detail {

// One more block refers to `holder` (null: nothing).
void share_holder(EHOLDER* holder);

// One block stops referring to `holder`. True when it was the last one, so the
// caller is to delete the holder; false while other blocks still refer to it
// (and for null).
bool release_holder(EHOLDER* holder);

// How many blocks besides one refer to `holder` (0 when it is not shared).
int holder_extra_shares(EHOLDER* holder);

}  // namespace rtfblk_detail
