// Bit strings one gene a bit: gene i is bit i % 64 of word i / 64 (the form
// breeding in parts reads of a GA chromosome), and back to one int a gene.
#pragma once

#include <cstdint>

namespace PackedGenes {
// Packs length genes into (length + 63) / 64 words, the bits past length
// 0; false (the words then unspecified) where a gene is not 0 or 1.
bool Pack(const int* genes, int length, std::uint64_t* words);
// The length genes of words, each 0 or 1, into genes.
void Unpack(const std::uint64_t* words, int length, int* genes);
}  // namespace PackedGenes
