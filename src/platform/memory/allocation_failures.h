// For the tests only: makes one chosen allocation of a memory block fail, so that the paths a real
// want of memory takes can be run. Only the tests' copy of memory_block.cpp has these functions
// (built with KORVIF_FAILING_ALLOCATIONS, library korvif_memory_failing); the program's copy has
// no counter, and nothing in the program calls them.
#pragma once

namespace korvif::allocation_failures {

// From now on, the `n`th allocation or resize of a memory block (counted from 1) fails with
// no_memory, and every one after it succeeds again; 0 lets every one succeed.
void fail_at(int n);

// Whether the chosen allocation was reached, and so failed, since fail_at.
bool reached();

}  // namespace korvif::allocation_failures
