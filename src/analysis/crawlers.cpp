#include "analysis/crawlers.h"

namespace tarnwick {

const CrawlerList& designedCrawlers() {
  static const CrawlerList crawlers{
      {"Baiduspider", "MyBaidu", "百度蜘蛛"},
      {"Googlebot", "MyGoogle", "谷歌蜘蛛"},
      {"Yahoo!", "MyYahoo", "雅虎蜘蛛"},
      {"Sosospider", "MySoSo", "搜搜蜘蛛"},
  };
  return crawlers;
}

std::vector<std::string> tokensOf(const CrawlerList& crawlers) {
  std::vector<std::string> tokens;
  for (const Crawler& crawler : crawlers) tokens.push_back(crawler.token);
  return tokens;
}

}  // namespace tarnwick
