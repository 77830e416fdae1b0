#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/http_client.h"
#include "verify/ranges_update.h"

namespace tarnwick {

// Updates the ranges files on a thread of its own, so that a slow download never holds
// the window; the window asks whether it is done at its progress ticks.
class RangesDownload {
 public:
  RangesDownload(std::shared_ptr<HttpClient> http, std::filesystem::path folder,
                 std::vector<RangesSource> sources);
  // Never waits: a download still running finishes on its own, its result unread.
  ~RangesDownload();
  RangesDownload(const RangesDownload&) = delete;
  RangesDownload& operator=(const RangesDownload&) = delete;

  // What each file gave, once all are done.
  std::optional<std::vector<RangesUpdate>> result() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace tarnwick
