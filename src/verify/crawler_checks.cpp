#include "verify/crawler_checks.h"

#include <algorithm>
#include <cctype>

#include "text/text.h"

namespace tarnwick {
namespace {

struct KnownCrawler {
  std::string_view token;
  std::vector<std::string> domains;
  std::vector<std::string> rangesFiles;
};

// What the operators publish: the domains their crawlers' names end in, and the files
// of their address ranges.
const std::vector<KnownCrawler>& knownCrawlers() {
  static const std::vector<KnownCrawler> known = {
      {"Baiduspider", {"baidu.com", "baidu.jp"}, {}},
      {"Googlebot", {"googlebot.com", "google.com"}, {"common-crawlers.json", "googlebot.json"}},
      {"bingbot", {"search.msn.com"}, {"bingbot.json"}},
      {"YandexBot", {"yandex.ru", "yandex.net", "yandex.com"}, {}},
      {"Sogou", {"sogou.com"}, {}},
      {"Applebot", {"applebot.apple.com"}, {"applebot.json"}},
      {"PetalBot", {"petalsearch.com", "aspiegel.com"}, {}},
      {"Yahoo!", {"crawl.yahoo.net"}, {}},
      {"GPTBot", {}, {"gptbot.json"}},
  };
  return known;
}

std::string_view withoutFinalDot(std::string_view name) {
  if (name.ends_with('.')) name.remove_suffix(1);
  return name;
}

template <typename List>
void addNew(std::vector<std::string>& to, const List& from) {
  for (const auto& item : from)
    if (std::find(to.begin(), to.end(), item) == to.end()) to.emplace_back(item);
}

}  // namespace

CrawlerChecks checksFor(const Crawler& crawler) {
  CrawlerChecks checks;
  for (const KnownCrawler& known : knownCrawlers())
    if (known.token == crawler.token) {
      checks.domains = known.domains;
      checks.rangesFiles = known.rangesFiles;
    }
  addNew(checks.domains, crawler.domains);
  addNew(checks.rangesFiles, crawler.rangesFiles);
  return checks;
}

const std::vector<std::string>& publishedRangesFiles() {
  static const std::vector<std::string> files = {"common-crawlers.json", "googlebot.json",
                                                 "bingbot.json", "gptbot.json", "applebot.json"};
  return files;
}

bool inDomain(std::string_view name, std::string_view domain) {
  name = withoutFinalDot(name);
  domain = withoutFinalDot(domain);
  if (domain.empty() || name.size() < domain.size()) return false;
  const std::string_view tail = name.substr(name.size() - domain.size());
  if (!equalsIgnoringCase(tail, domain)) return false;
  return name.size() == domain.size() || name[name.size() - domain.size() - 1] == '.';
}

bool hostName(std::string_view name) {
  name = withoutFinalDot(name);
  if (name.empty() || name.size() > 253) return false;
  for (const char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') return false;
  return name.front() != '.' && name.find("..") == std::string_view::npos;
}

Verdict verdictOf(const std::vector<std::string>& domains, std::optional<bool> inRanges,
                  const DnsAnswer* answer) {
  if (inRanges == true) return Verdict::Verified;
  // Where the ranges rule it out, DNS can still show it is the crawler's; where DNS cannot
  // tell, the ranges have the last word.
  const Verdict otherwise = inRanges == false ? Verdict::Fake : Verdict::Unverified;
  if (domains.empty() || !answer) return otherwise;
  switch (answer->status) {
    case DnsAnswer::Status::Confirmed:
      for (const std::string& domain : domains)
        if (inDomain(answer->name, domain)) return Verdict::Verified;
      return Verdict::Fake;
    case DnsAnswer::Status::Named:
      for (const std::string& domain : domains)
        if (inDomain(answer->name, domain)) return otherwise;
      return Verdict::Fake;
    case DnsAnswer::Status::Mismatch:
    case DnsAnswer::Status::BadName:
      return Verdict::Fake;
    case DnsAnswer::Status::NoName:
    case DnsAnswer::Status::Failed:
    case DnsAnswer::Status::TimedOut:
      break;
  }
  return otherwise;
}

}  // namespace tarnwick
