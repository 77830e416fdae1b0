#include <cstdlib>

#include "platform/environment.h"

namespace tarnwick {

std::optional<std::string> environmentVariable(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

std::optional<std::filesystem::path> windowsFolder() {
  return std::nullopt;
}

}  // namespace tarnwick
