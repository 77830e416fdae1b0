#include "platform/file_output.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace tarnwick {

std::string writeChosenFile(const std::filesystem::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return std::strerror(errno);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) return "write error";
  return {};
}

}  // namespace tarnwick
