// SHA-256 digests, for checking decoded pixels against known values (tools and tests).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace eng {

using Sha256Digest = std::array<uint8_t, 32>;

// The digest of `size` bytes.
Sha256Digest Sha256(const void* data, size_t size);
// The digest as 64 lower-case hex digits.
std::string Sha256Hex(const void* data, size_t size);

}  // namespace eng
