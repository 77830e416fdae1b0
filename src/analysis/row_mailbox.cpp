#include "analysis/row_mailbox.h"

namespace tarnwick {

void RowMailbox::post(const std::function<void(Batch&)>& add) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    add(waiting_);
    wake = !woken_;
    woken_ = true;
  }
  if (wake && wake_) wake_();
}

bool RowMailbox::row(FileResult&& row) {
  post([&](Batch& batch) { batch.rows.push_back(std::move(row)); });
  return true;
}

void RowMailbox::planned(Plan::Status status) {
  post([&](Batch& batch) { batch.planned = status; });
}

void RowMailbox::finished(const Progress& progress) {
  post([&](Batch& batch) { batch.finished = progress; });
}

RowMailbox::Batch RowMailbox::take() {
  std::lock_guard lock(mutex_);
  Batch batch = std::move(waiting_);
  waiting_ = {};
  woken_ = false;
  return batch;
}

}  // namespace tarnwick
