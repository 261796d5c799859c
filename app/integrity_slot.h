#pragma once
// The integrity slot of the program being run, defined by integrity_slot.cpp in each
// stamped executable.

#include "app/integrity.h"

// Volatile, so that reads go to the bytes the stamp wrote, never to the initialiser.
extern "C" const volatile unsigned char bitvane_integrity_slot[bitvane::kIntegritySlotBytes];
