#include "sample_logs.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

namespace {

struct Agent {
  const char* text;
  int weight;  // how often it appears
};

const std::vector<Agent> kAgents{
    {"Mozilla/4.0+(compatible;+MSIE+7.0;+Windows+NT+5.1;+.NET+CLR+2.0.50727)", 30},
    {"Mozilla/5.0+(Windows;+U;+Windows+NT+5.1;+zh-CN;+rv:1.9.0.1)+Gecko/2008070208+Firefox/3.0.1",
     20},
    {"Baiduspider+(+http://www.baidu.com/search/spider.htm)", 14},
    {"Mozilla/5.0+(compatible;+Googlebot/2.1;++http://www.google.com/bot.html)", 10},
    {"Googlebot-Image/1.0", 2},
    {"Mozilla/5.0+(compatible;+Yahoo!+Slurp;+http://help.yahoo.com/help/us/ysearch/slurp)", 6},
    {"Mozilla/5.0+(compatible;+Yahoo!+Slurp+China;+http://misc.yahoo.com.cn/help.html)", 2},
    {"Sosospider+(+http://help.soso.com/webspider.htm)", 5},
    // Crawlers of today, for a list of added crawlers to count.
    {"Mozilla/5.0+(compatible;+bingbot/2.0;++http://www.bing.com/bingbot.htm)", 4},
    {"Mozilla/5.0+(compatible;+YandexBot/3.0;++http://yandex.com/bots)", 2},
    {"Mozilla/5.0+(Linux;+Android+5.0)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Mobile+Safari/"
     "537.36+(compatible;+Bytespider;+spider-feedback@bytedance.com)",
     3},
    {"Sogou+web+spider/4.0(+http://www.sogou.com/docs/help/webmasters.htm#07)", 2},
    {"Mozilla/5.0+(compatible;+PetalBot;+Android+10;++https://webmaster.petalsearch.com/site/"
     "petalbot)",
     1},
    {"Mozilla/5.0+AppleWebKit/537.36+(KHTML,+like+Gecko;+compatible;+GPTBot/1.1;++https://"
     "openai.com/gptbot)",
     1},
    // Lines that mention a crawler but must not count for it.
    {"baiduspider+(lower+case)", 2},
    {"Yahoo+Pipes+1.0", 2},
    {"Mozilla/5.0+(compatible;+googlebot-like+checker)", 1},
};

const std::vector<const char*> kPages{
    "/",           "/index.asp",       "/news/list.asp", "/news/show.asp",      "/robots.txt",
    "/about.html", "/images/logo.gif", "/css/site.css",  "/products/index.html"};

}  // namespace

std::string w3cHeader(const Date& day) {
  return "#Software: Microsoft Internet Information Services 7.5\r\n#Version: 1.0\r\n#Date: " +
         isoDate(day) +
         " 00:00:00\r\n#Fields: date time s-sitename s-ip cs-method cs-uri-stem cs-uri-query "
         "s-port cs-username c-ip cs(User-Agent) sc-status sc-substatus sc-win32-status "
         "time-taken\r\n";
}

// Where a line of `agent` comes from, drawn from `a` to `d`: most crawler lines from the
// crawler's own networks, one in ten from anywhere (an impostor).
std::string clientAddress(std::string_view agent, unsigned a, unsigned b, unsigned c, unsigned d) {
  const auto dotted = [](unsigned w, unsigned x, unsigned y, unsigned z) {
    return std::to_string(w) + '.' + std::to_string(x) + '.' + std::to_string(y) + '.' +
           std::to_string(z);
  };
  const bool own = d % 10 != 0;
  if (own && agent.find("Googlebot/") != std::string_view::npos)
    return dotted(66, 249, 64 + b % 16, 1 + d % 254);
  if (own && agent.find("Baiduspider") != std::string_view::npos)
    return b % 2 ? dotted(220, 181, 108, 75 + d % 120) : dotted(180, 76, 15, 1 + d % 254);
  if (own && agent.find("bingbot") != std::string_view::npos)
    return dotted(157, 55, 39, 1 + d % 254);
  return dotted(58 + a % 160, b % 256, c % 256, 1 + d % 254);
}

std::string w3cLines(const Date& day, int siteId, int lines, std::mt19937& random) {
  std::vector<int> weights;
  for (const Agent& agent : kAgents) weights.push_back(agent.weight);
  std::discrete_distribution<int> pickAgent(weights.begin(), weights.end());
  const std::string date = isoDate(day);
  std::string text;
  char line[512];
  for (int i = 0; i < lines; ++i) {
    const int second = static_cast<int>(static_cast<long long>(i) * 86400 / lines);
    const Agent& agent = kAgents[static_cast<std::size_t>(pickAgent(random))];
    const std::string page = kPages[random() % kPages.size()];
    // Drawn one by one: the order of arguments is the compiler's choice.
    const unsigned a = random(), b = random(), c = random(), d = random();
    const std::string address = clientAddress(agent.text, a, b, c, d);
    std::snprintf(line, sizeof line,
                  "%s %02d:%02d:%02d W3SVC%d 192.168.1.10 GET %s - 80 - %s %s %d 0 0 %d\r\n",
                  date.c_str(), second / 3600, second / 60 % 60, second % 60, siteId, page.c_str(),
                  address.c_str(), agent.text, page == "/robots.txt" ? 404 : 200,
                  static_cast<int>(random() % 500));
    text += line;
  }
  return text;
}

}  // namespace tarnwick
