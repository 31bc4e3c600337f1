// Gene arrays kept for reuse by the thread that gives them back: a
// bit-string generation's arrays go as the next one's are made, all of one
// length, so a new array is mostly one given back before. Freeing them to
// the heap instead costs a lock and writes into memory long out of cache for
// each array once a second thread runs, more than the genes cost to breed.
// Sanitizer builds use the heap every time, so that misuse is still found.
#pragma once

class IntArray;

namespace GeneArrays {
// An empty array of capacity genes: one given back on this thread, or new.
IntArray* Take(int capacity);
// Gives genes (owned, may be null) back for Take on this thread, or frees it
// when this thread keeps enough arrays or ones of another capacity.
void Give(IntArray* genes);
}  // namespace GeneArrays
