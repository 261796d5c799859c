// The slot itself: the tag, then the state and CRC words the stamp fills in.
#include "app/integrity_slot.h"

extern "C" __attribute__((used, aligned(8)))
const volatile unsigned char bitvane_integrity_slot[bitvane::kIntegritySlotBytes] = {
    bitvane::kIntegrityTag[0],  bitvane::kIntegrityTag[1],  bitvane::kIntegrityTag[2],
    bitvane::kIntegrityTag[3],  bitvane::kIntegrityTag[4],  bitvane::kIntegrityTag[5],
    bitvane::kIntegrityTag[6],  bitvane::kIntegrityTag[7],  bitvane::kIntegrityTag[8],
    bitvane::kIntegrityTag[9],  bitvane::kIntegrityTag[10], bitvane::kIntegrityTag[11],
    bitvane::kIntegrityTag[12], bitvane::kIntegrityTag[13], bitvane::kIntegrityTag[14],
    bitvane::kIntegrityTag[15]};
