#include "analysis/value_ids.h"

#include "analysis/value_words.h"

namespace tarnwick {

std::uint32_t ValueIds::idOf(std::string_view value, std::uint32_t hash) {
  if (slots_.empty()) slots_.resize(16);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.id == 0) {
      if (values_.size() >= bound_) return kNone;
      const std::optional<std::uint32_t> stored = words::storeValue(text_, value, kMostText);
      if (!stored) return kNone;
      const auto id = static_cast<std::uint32_t>(values_.size());
      slot = {hash, id + 1, *stored};
      values_.push_back(slot);
      if (values_.size() * 2 > slots_.size()) grow();
      return id;
    }
    if (slot.hash == hash && words::holdsValue(text_.data() + slot.offset, value))
      return slot.id - 1;
  }
}

std::string_view ValueIds::value(std::uint32_t id) const {
  return words::storedValue(text_.data() + values_[id].offset);
}

void ValueIds::clear() {
  slots_.clear();
  values_.clear();
  text_.clear();
}

void ValueIds::grow() {
  words::doubleSlots(slots_, [](const Slot& slot) { return slot.id != 0; });
}

}  // namespace tarnwick
