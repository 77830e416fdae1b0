#include "app/ranges_download.h"

#include <mutex>
#include <thread>

namespace tarnwick {

struct RangesDownload::State {
  std::mutex mutex;
  std::optional<std::vector<RangesUpdate>> result;
};

RangesDownload::RangesDownload(std::shared_ptr<HttpClient> http, std::filesystem::path folder,
                               std::vector<RangesSource> sources)
    : state_(std::make_shared<State>()) {
  std::thread([state = state_, http = std::move(http), folder = std::move(folder),
               sources = std::move(sources)] {
    std::vector<RangesUpdate> updates;
    try {
      updates = updateRanges(folder, sources, *http);
    } catch (const std::exception& error) {
      updates.push_back({"", false, 0, std::nullopt, error.what()});
    }
    std::lock_guard lock(state->mutex);
    state->result = std::move(updates);
  }).detach();
}

RangesDownload::~RangesDownload() = default;

std::optional<std::vector<RangesUpdate>> RangesDownload::result() const {
  std::lock_guard lock(state_->mutex);
  return state_->result;
}

}  // namespace tarnwick
