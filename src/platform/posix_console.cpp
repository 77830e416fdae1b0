#include <csignal>
#include <cstdio>

#include "platform/console.h"

namespace tarnwick {

void prepareConsole() {
  std::signal(SIGPIPE, SIG_IGN);
}

bool writeOut(std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && !std::ferror(stdout);
}

bool flushOut() {
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void writeError(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace tarnwick
