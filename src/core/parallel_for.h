// Runs a loop body over an index range on all of the machine's cores.
//
// ParallelFor calls body(begin, end) for consecutive chunks of [0, count) of
// at most `chunk` indices each, on up to hardware_concurrency threads (the
// caller's thread among them), and returns once every chunk is done. Chunks
// run in no particular order, so the body must only write results of its own
// indices. If a body throws, no further chunk is started and the first
// exception is rethrown on the caller's thread.
#pragma once

#include <cstdint>
#include <functional>

namespace corvane {

void ParallelFor(std::int64_t count, std::int64_t chunk,
                 const std::function<void(std::int64_t begin, std::int64_t end)>& body);

}  // namespace corvane
