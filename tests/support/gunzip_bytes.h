// In-memory gzip decompression for tests that check what was sent or
// downloaded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::testing {

// The decompressed bytes of one complete gzip stream; nullopt for data that
// is not gzip or is damaged or truncated.
std::optional<std::string> GunzipBytes(std::string_view compressed);

}  // namespace corvane::testing
