#include "verify/ranges_update.h"

#include <system_error>

#include "platform/file_output.h"
#include "platform/utf8_path.h"

namespace tarnwick {

std::vector<RangesSource> rangesSources(const std::optional<std::string>& base) {
  std::vector<RangesSource> sources = {
      {"common-crawlers.json",
       "https://developers.google.com/static/search/apis/ipranges/common-crawlers.json"},
      {"googlebot.json",
       "https://developers.google.com/static/search/apis/ipranges/googlebot.json"},
      {"bingbot.json", "https://www.bing.com/toolbox/bingbot.json"},
      {"gptbot.json", "https://openai.com/gptbot.json"},
      {"applebot.json", "https://search.developer.apple.com/applebot.json"},
  };
  if (base) {
    std::string root = *base;
    while (root.ends_with('/')) root.pop_back();
    for (RangesSource& source : sources) source.url = root + "/" + source.name;
  }
  return sources;
}

std::vector<RangesUpdate> updateRanges(const std::filesystem::path& folder,
                                       const std::vector<RangesSource>& sources, HttpClient& http,
                                       const HttpLimits& limits) {
  std::vector<RangesUpdate> updates;
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  for (const RangesSource& source : sources) {
    RangesUpdate update;
    update.name = source.name;
    const HttpResponse response = http.get(source.url, limits);
    if (!response.ok()) {
      update.reason = source.url + ": " + response.reason;
      updates.push_back(std::move(update));
      continue;
    }
    const RangesFile file = parseRangesFile(response.body);
    if (!file.ok()) {
      update.reason = source.url + ": " + file.description();
      updates.push_back(std::move(update));
      continue;
    }
    const WriteResult written = writeFileWhole(folder / pathFromUtf8(source.name), response.body);
    if (!written.ok()) {
      update.reason = written.description();
    } else {
      update.ok = true;
      update.prefixes = file.prefixes;
      update.created = file.created;
    }
    updates.push_back(std::move(update));
  }
  return updates;
}

}  // namespace tarnwick
