#include "analysis/crawler_list.h"

#include <algorithm>
#include <set>

#include "platform/utf8_path.h"
#include "text/text.h"

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

// Where a comment begins: a "#" at the start of the line or after a blank, so that a
// token such as "C#Bot" stays whole.
std::size_t commentStart(std::string_view line) {
  for (std::size_t at = line.find('#'); at != std::string_view::npos; at = line.find('#', at + 1))
    if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') return at;
  return std::string_view::npos;
}

// Problems named one by one; a list of thousands of bad lines is summed up after these.
constexpr std::size_t kProblemsKept = 20;

}  // namespace

bool reservedToken(std::string_view token) {
  for (const std::string_view own : {"day", "date", "file", "status", "rows", "detail", "verify"})
    if (token == own) return true;
  return false;
}

std::string CrawlerListProblem::description() const {
  std::string what;
  switch (kind) {
    case Kind::NotUtf8:
      what = "not UTF-8 text";
      break;
    case Kind::NoToken:
      what = "no token before the tab";
      break;
    case Kind::TooLong:
      what = "token longer than " + std::to_string(kMaxTokenBytes) + " bytes";
      break;
    case Kind::TooManyTabs:
      what = "more than one tab: give the token, a tab, and the column header";
      break;
    case Kind::ControlCharacter:
      what = "holds a control character";
      break;
    case Kind::Duplicate:
      what = "\"" + token + "\" is counted already";
      break;
    case Kind::Reserved:
      what = "\"" + token + "\" is the name of a column of every row";
      break;
    case Kind::TooMany:
      what = "more than " + std::to_string(kMaxAddedCrawlers) + " crawlers";
      break;
  }
  return "line " + std::to_string(line) + ": " + what;
}

std::string CrawlerListResult::description() const {
  switch (status) {
    case Status::Ok:
      return {};
    case Status::Unreadable:
      return reason;
    case Status::TooLarge:
      return "larger than 1 MiB, not a list of crawlers";
  }
  return reason;
}

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
    line = line.substr(0, commentStart(line));
    if (trim(line).empty()) continue;
    const std::size_t tab = line.find('\t');
    const std::string_view token = trim(line.substr(0, tab));
    std::string_view header = tab == std::string_view::npos ? token : trim(line.substr(tab + 1));
    if (header.empty()) header = token;  // "token<TAB>": the header is the token itself
    using Kind = CrawlerListProblem::Kind;
    const auto problem = [&](Kind kind) {
      const bool capAgain = kind == Kind::TooMany && !result.problems.empty() &&
                            result.problems.back().kind == Kind::TooMany;
      if (result.problems.size() < kProblemsKept && !capAgain)
        result.problems.push_back({number, kind, validUtf8(token)});
      else
        ++result.problemsNotKept;
    };
    if (validUtf8(line) != line) {
      problem(Kind::NotUtf8);
    } else if (token.empty()) {
      problem(Kind::NoToken);
    } else if (token.size() > kMaxTokenBytes) {
      problem(Kind::TooLong);
    } else if (header.find('\t') != std::string_view::npos) {
      problem(Kind::TooManyTabs);
    } else if (hasControl(token) || hasControl(header)) {
      problem(Kind::ControlCharacter);
    } else if (tokens.count(std::string(token))) {
      problem(Kind::Duplicate);
    } else if (reservedToken(token)) {
      problem(Kind::Reserved);
    } else if (result.crawlers.size() >= designedCrawlers().size() + kMaxAddedCrawlers) {
      problem(Kind::TooMany);
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
    failed.status = CrawlerListResult::Status::Unreadable;
    failed.reason = opened.reason;
    return failed;
  }
  constexpr std::uint64_t kLargest = 1u << 20;  // a list of crawlers is a few kB
  if (opened.file->size() > kLargest) {
    failed.status = CrawlerListResult::Status::TooLarge;
    return failed;
  }
  std::string text(static_cast<std::size_t>(opened.file->size()), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const std::ptrdiff_t n = opened.file->readAt(text.data() + got, text.size() - got, got);
    if (n < 0) {
      failed.status = CrawlerListResult::Status::Unreadable;
      failed.reason = "read error";
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
