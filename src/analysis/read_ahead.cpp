#include "analysis/read_ahead.h"

namespace tarnwick {

ReadAhead::ReadAhead(InputFile& file, std::size_t blockSize, std::size_t headroom)
    : file_(file), blockSize_(blockSize), headroom_(headroom) {
  for (auto& buffer : buffers_) buffer.resize(headroom + blockSize);
  reader_ = std::thread([this] { read(); });
}

ReadAhead::~ReadAhead() {
  stop_ = true;
  free_.release();  // wakes the reader if it waits for a slot
  reader_.join();
}

void ReadAhead::read() {
  for (int slot = 0;; slot = (slot + 1) % kSlots) {
    free_.acquire();
    if (stop_) return;
    const std::ptrdiff_t size = file_.read(buffers_[slot].data() + headroom_, blockSize_);
    sizes_[slot] = size;
    filled_.release();
    if (size <= 0) return;
  }
}

ReadAhead::Block ReadAhead::next() {
  if (holding_) free_.release();
  filled_.acquire();
  const int slot = slot_;
  slot_ = (slot_ + 1) % kSlots;
  holding_ = true;
  return {buffers_[slot].data() + headroom_, sizes_[slot]};
}

}  // namespace tarnwick
