// Gzip compression for the targets that fuzz the text behind a compressed
// file: a valid gzip stream of any text, made with zlib at its fastest.
#pragma once

#include <string>
#include <string_view>

namespace corvane::fuzz {

std::string Gzip(std::string_view text);

}  // namespace corvane::fuzz
