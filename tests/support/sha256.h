// SHA-256 of a byte string, for tests that pin an output by its digest.
#pragma once

#include <string>

#include "support/files.h"

namespace korvif::test {

// The digest as 64 lower-case hex digits.
std::string sha256_hex(const Bytes& bytes);

}  // namespace korvif::test
