#pragma once

#include <string>

#include "platform/text_input.h"

namespace tarnwick {

// The content of an archived log, inflated as it is read: in order, from 0, until a read
// gives nothing more. Its size is unknown before the end.
class ArchiveStream : public InputFile {
 public:
  std::uint64_t size() const override { return UINT64_MAX; }
  // Why the last read failed, in a few English words: "damaged archive: …".
  const std::string& problem() const { return problem_; }

 protected:
  std::string problem_;
};

}  // namespace tarnwick
