#include "analysis/crawler_list.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>

#include "platform/utf8_path.h"
#include "platform/whole_file.h"
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

bool domainName(std::string_view text) {
  if (text.empty() || text.size() > 253 || text.front() == '.' || text.back() == '.') return false;
  for (const char c : text)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.')) return false;
  return text.find("..") == std::string_view::npos;
}

// A ranges file is named, never given as a path: it lives in the ranges folder.
bool rangesFileName(std::string_view text) {
  return !text.empty() && text.size() <= 100 && text != "." && text != ".." &&
         text.find_first_of("/\\:") == std::string_view::npos && !hasControl(text);
}

struct OwnChecks {
  std::vector<std::string> domains, rangesFiles;
};

// The third column: space-separated "dns:DOMAIN" and "ranges:FILE" items.
std::optional<OwnChecks> parseOwnChecks(std::string_view text) {
  OwnChecks own;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string_view item = text.substr(at, end - at);
    at = end + 1;
    if (item.empty()) continue;
    if (item.starts_with("dns:") && domainName(item.substr(4))) {
      std::string domain(item.substr(4));
      for (char& c : domain) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      own.domains.push_back(domain);
    } else if (item.starts_with("ranges:") && rangesFileName(item.substr(7))) {
      own.rangesFiles.emplace_back(item.substr(7));
    } else {
      return std::nullopt;
    }
  }
  return own;
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
      what = "more than two tabs: give the token, a tab, the column header, a tab, and its checks";
      break;
    case Kind::BadCheck:
      what = "a check that is neither dns:DOMAIN nor ranges:FILE";
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
    std::string_view header =
        tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    const std::size_t secondTab = header.find('\t');
    const std::string_view checks =
        secondTab == std::string_view::npos ? std::string_view() : header.substr(secondTab + 1);
    header = trim(header.substr(0, secondTab));
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
    } else if (checks.find('\t') != std::string_view::npos) {
      problem(Kind::TooManyTabs);
    } else if (hasControl(token) || hasControl(header)) {
      problem(Kind::ControlCharacter);
    } else if (tokens.count(std::string(token))) {
      problem(Kind::Duplicate);
    } else if (reservedToken(token)) {
      problem(Kind::Reserved);
    } else if (result.crawlers.size() >= designedCrawlers().size() + kMaxAddedCrawlers) {
      problem(Kind::TooMany);
    } else if (const auto own = parseOwnChecks(checks); !own) {
      problem(Kind::BadCheck);
    } else {
      tokens.insert(std::string(token));
      Crawler crawler{std::string(token), "My" + std::string(token), std::string(header)};
      crawler.domains = own->domains;
      crawler.rangesFiles = own->rangesFiles;
      result.crawlers.push_back(std::move(crawler));
    }
  }
  return result;
}

CrawlerListResult readCrawlerList(const std::filesystem::path& file, const TextInput& input) {
  constexpr std::uint64_t kLargest = 1u << 20;  // a list of crawlers is a few kB
  const WholeFile whole = readWholeFile(file, input, kLargest);
  if (whole.ok()) return parseCrawlerList(whole.text);
  CrawlerListResult failed;
  failed.crawlers = designedCrawlers();
  failed.status = whole.status == WholeFile::Status::TooLarge
                      ? CrawlerListResult::Status::TooLarge
                      : CrawlerListResult::Status::Unreadable;
  failed.reason = whole.reason;
  return failed;
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
