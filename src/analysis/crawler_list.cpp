#include "analysis/crawler_list.h"

#include <algorithm>
#include <set>

#include "platform/text.h"
#include "platform/utf8_path.h"

namespace tarnwick {

namespace {

constexpr std::size_t kMaxTokenBytes = 200;

std::string_view trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool hasControl(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

CrawlerListResult parseCrawlerList(std::string_view text) {
  CrawlerListResult result;
  result.crawlers = designedCrawlers();
  std::set<std::string> tokens;
  for (const Crawler& crawler : result.crawlers) tokens.insert(crawler.token);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  int number = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = line.substr(0, line.find('#'));
    if (trim(line).empty()) continue;
    const auto problem = [&](const std::string& what) {
      result.problems.push_back("line " + std::to_string(number) + ": " + what);
    };
    const std::size_t tab = line.find('\t');
    const std::string_view token = trim(line.substr(0, tab));
    const std::string_view header =
        tab == std::string_view::npos ? token : trim(line.substr(tab + 1));
    if (validUtf8(line) != line) {
      problem("not UTF-8 text");
    } else if (token.empty()) {
      problem("no token before the tab");
    } else if (token.size() > kMaxTokenBytes) {
      problem("token longer than " + std::to_string(kMaxTokenBytes) + " bytes");
    } else if (header.find('\t') != std::string_view::npos) {
      problem("more than one tab: give the token, a tab, and the column header");
    } else if (hasControl(token) || hasControl(header)) {
      problem("holds a control character");
    } else if (tokens.count(std::string(token))) {
      problem("\"" + std::string(token) + "\" is counted already");
    } else if (result.crawlers.size() >= designedCrawlers().size() + kMaxAddedCrawlers) {
      problem("more than " + std::to_string(kMaxAddedCrawlers) + " crawlers");
    } else {
      tokens.insert(std::string(token));
      result.crawlers.push_back(
          {std::string(token), "My" + std::string(token), std::string(header)});
    }
  }
  return result;
}

CrawlerListResult readCrawlerList(const std::filesystem::path& file, const TextInput& input) {
  CrawlerListResult failed;
  failed.crawlers = designedCrawlers();
  OpenedFile opened = input.open(file);
  if (!opened.ok()) {
    failed.error = opened.reason;
    return failed;
  }
  constexpr std::uint64_t kLargest = 1u << 20;  // a list of crawlers is a few kB
  if (opened.file->size() > kLargest) {
    failed.error = "larger than 1 MiB, not a list of crawlers";
    return failed;
  }
  std::string text(static_cast<std::size_t>(opened.file->size()), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const std::ptrdiff_t n = opened.file->readAt(text.data() + got, text.size() - got, got);
    if (n < 0) {
      failed.error = "read error";
      return failed;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  text.resize(got);
  return parseCrawlerList(text);
}

std::optional<std::filesystem::path> userCrawlerListPath(const VariableLookup& environment) {
#ifdef _WIN32
  if (const auto appData = environment("APPDATA"); appData && !appData->empty())
    return pathFromUtf8(*appData) / "Tarnwick" / "crawlers.txt";
#else
  if (const auto config = environment("XDG_CONFIG_HOME"); config && !config->empty())
    return pathFromUtf8(*config) / "tarnwick" / "crawlers.txt";
  if (const auto home = environment("HOME"); home && !home->empty())
    return pathFromUtf8(*home) / ".config" / "tarnwick" / "crawlers.txt";
#endif
  return std::nullopt;
}

CrawlerListResult chooseCrawlers(const std::optional<std::filesystem::path>& given,
                                 const TextInput& input, const VariableLookup& environment) {
  if (given) return readCrawlerList(*given, input);
  const auto own = userCrawlerListPath(environment);
  if (own && input.isFile(*own)) return readCrawlerList(*own, input);
  CrawlerListResult designed;
  designed.crawlers = designedCrawlers();
  return designed;
}

}  // namespace tarnwick
