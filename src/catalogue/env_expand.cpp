#include "catalogue/env_expand.h"

#include "text/text.h"

namespace tarnwick {

std::string expandVariables(std::string_view text, const VariableLookup& lookup) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(pos, open - pos));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    if (const auto value = name.empty() ? std::nullopt : lookup(name)) {
      out += *value;
      pos = close + 1;
    } else {
      // Keep the first '%' and look again from the second: it may open a known name.
      out += '%';
      pos = open + 1;
    }
  }
  out.append(text.substr(pos));
  return out;
}

std::optional<std::string> standardServerVariable(std::string_view name) {
  if (equalsIgnoringCase(name, "SystemDrive")) return "C:";
  if (equalsIgnoringCase(name, "SystemRoot") || equalsIgnoringCase(name, "windir"))
    return "C:\\Windows";
  return std::nullopt;
}

}  // namespace tarnwick
