// Giving a large byte buffer back to the system at once.
#pragma once

#include <cstdint>
#include <vector>

// Empties bytes and frees their memory. The allocator keeps freed memory of its heap resident
// for later use; the pages inside the buffer are dropped before it is freed, so the process
// shrinks now, wherever the allocator had placed the buffer.
void ReleaseBytes(std::vector<std::uint8_t>& bytes);
