#include "core/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace corvane {

void ParallelFor(std::int64_t count, std::int64_t chunk,
                 const std::function<void(std::int64_t begin, std::int64_t end)>& body) {
  if (count <= 0) return;
  chunk = std::max<std::int64_t>(chunk, 1);
  const std::int64_t chunks = (count + chunk - 1) / chunk;
  const std::int64_t cores = std::max<unsigned>(std::thread::hardware_concurrency(), 1);
  const std::int64_t threads = std::min(cores, chunks);

  std::atomic<std::int64_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr error;
  std::mutex error_mutex;
  auto work = [&] {
    while (!failed.load(std::memory_order_relaxed)) {
      const std::int64_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
      if (begin >= count) return;
      try {
        body(begin, std::min(begin + chunk, count));
      } catch (...) {
        std::lock_guard<std::mutex> lock(error_mutex);
        if (!error) error = std::current_exception();
        failed.store(true, std::memory_order_relaxed);
      }
    }
  };

  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<size_t>(threads - 1));
  try {
    for (std::int64_t t = 1; t < threads; ++t) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No further thread could be started: the threads that run do the rest.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace corvane
