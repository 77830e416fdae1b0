#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "analysis/job.h"

namespace tarnwick {

// Hands a job's rows over to a window's thread. Rows wait here until the window takes
// them; the window is woken once per batch, however many rows arrive before it looks.
class RowMailbox final : public RowSink {
 public:
  // `wake` is called on a job thread and must only ask the window's thread to call take().
  explicit RowMailbox(std::function<void()> wake) : wake_(std::move(wake)) {}

  bool row(FileResult&& row) override;
  void finished(const Progress& progress) override;
  void planned(Plan::Status status) override;

  struct Batch {
    std::optional<Plan::Status> planned;  // set once the job has worked out its files
    std::vector<FileResult> rows;         // in plan order
    std::optional<Progress> finished;     // set once the job's last row is in `rows` or before
  };
  // Everything that arrived since the last call.
  Batch take();

 private:
  void post(const std::function<void(Batch&)>& add);

  std::function<void()> wake_;
  std::mutex mutex_;
  Batch waiting_;
  bool woken_ = false;  // a wake is on its way and take() has not run since
};

}  // namespace tarnwick
