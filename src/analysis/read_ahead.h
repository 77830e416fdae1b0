#pragma once

#include <atomic>
#include <cstddef>
#include <semaphore>
#include <thread>
#include <vector>

#include "platform/text_input.h"

namespace tarnwick {

// Reads a file block by block on a second thread, a few blocks ahead of the caller, so
// that copying from the page cache and scanning what was read overlap. Only the reads
// happen there; the caller sees the blocks in file order.
class ReadAhead {
 public:
  // A block: `size` bytes at `data`, with `headroom` bytes free to write just before it.
  // `size` is 0 at the end of the file and -1 where a read failed.
  struct Block {
    char* data;
    std::ptrdiff_t size;
  };

  ReadAhead(InputFile& file, std::size_t blockSize, std::size_t headroom);
  // Stops reading and waits for the reader.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next block; the one handed out before may be overwritten from now on.
  Block next();

 private:
  static constexpr int kSlots = 3;

  void read();

  InputFile& file_;
  const std::size_t blockSize_;
  const std::size_t headroom_;
  std::vector<char> buffers_[kSlots];
  std::ptrdiff_t sizes_[kSlots] = {};
  std::counting_semaphore<2 * kSlots> free_{kSlots};
  std::counting_semaphore<2 * kSlots> filled_{0};
  std::atomic<bool> stop_{false};
  int slot_ = 0;          // the slot next() hands out next
  bool holding_ = false;  // the caller holds the slot before it
  std::thread reader_;    // last: it starts once everything else is ready
};

}  // namespace tarnwick
