// tarnwick-demo-server DIR: writes a made-up IIS 7 server's system drive into DIR:
// its applicationHost.config with three sites and, for the two that log, 30 daily W3C
// logs ending today, as IIS writes them. Does nothing when DIR was written today.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/date.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::Date;

constexpr int kDays = 30;

constexpr const char* kConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- The demo server of Tarnwick: made up, not taken from any real server. -->
<configuration>
    <system.applicationHost>
        <applicationPools>
            <add name="DefaultAppPool" />
        </applicationPools>
        <sites>
            <site name="Default Web Site" id="1" serverAutoStart="true">
                <application path="/">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\wwwroot" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:" />
                </bindings>
            </site>
            <site name="企业门户" id="2" serverAutoStart="true">
                <application path="/">
                    <virtualDirectory path="/" physicalPath="C:\www\portal" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:www.example.cn" />
                </bindings>
                <logFile directory="C:\WebLogs" />
            </site>
            <site name="Staging" id="3" serverAutoStart="false">
                <application path="/">
                    <virtualDirectory path="/" physicalPath="C:\www\staging" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:8080:" />
                </bindings>
                <logFile directory="C:\StagingLogs" />
            </site>
            <siteDefaults>
                <logFile logFormat="W3C" directory="%SystemDrive%\inetpub\logs\LogFiles" />
            </siteDefaults>
        </sites>
    </system.applicationHost>
</configuration>
)";

// User agents as IIS logs them (spaces written as '+'), with how often each appears.
struct Agent {
  const char* text;
  int weight;
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
    // Lines that mention a crawler but must not count for it.
    {"baiduspider+(lower+case)", 2},
    {"Yahoo+Pipes+1.0", 2},
    {"Mozilla/5.0+(compatible;+googlebot-like+checker)", 1},
};

const std::vector<const char*> kPages{
    "/",           "/index.asp",       "/news/list.asp", "/news/show.asp",      "/robots.txt",
    "/about.html", "/images/logo.gif", "/css/site.css",  "/products/index.html"};

std::string logText(const Date& day, int siteId, std::mt19937& random) {
  char buffer[512];
  std::string text;
  std::snprintf(
      buffer, sizeof buffer,
      "#Software: Microsoft Internet Information Services 7.5\r\n#Version: 1.0\r\n"
      "#Date: %s 00:00:00\r\n"
      "#Fields: date time s-sitename s-ip cs-method cs-uri-stem cs-uri-query s-port "
      "cs-username c-ip cs(User-Agent) sc-status sc-substatus sc-win32-status time-taken\r\n",
      tarnwick::isoDate(day).c_str());
  text += buffer;
  std::vector<int> weights;
  for (const Agent& agent : kAgents) weights.push_back(agent.weight);
  std::discrete_distribution<int> pickAgent(weights.begin(), weights.end());
  const int lines = 800 + static_cast<int>(random() % 1200);
  int seconds = 0;
  for (int i = 0; i < lines && seconds < 86400; ++i) {
    seconds += static_cast<int>(random() % (2 * 86400 / lines));
    if (seconds >= 86400) break;
    const Agent& agent = kAgents[static_cast<std::size_t>(pickAgent(random))];
    const char* page = kPages[random() % kPages.size()];
    const int status = page == std::string("/robots.txt") ? 404 : 200;
    std::snprintf(
        buffer, sizeof buffer,
        "%s %02d:%02d:%02d W3SVC%d 192.168.1.10 GET %s - 80 - %d.%d.%d.%d %s %d 0 0 %d\r\n",
        tarnwick::isoDate(day).c_str(), seconds / 3600, seconds / 60 % 60, seconds % 60, siteId,
        page, 58 + static_cast<int>(random() % 160), static_cast<int>(random() % 256),
        static_cast<int>(random() % 256), 1 + static_cast<int>(random() % 254), agent.text, status,
        static_cast<int>(random() % 500));
    text += buffer;
  }
  return text;
}

void writeFile(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tarnwick-demo-server DIR\n";
    return 2;
  }
  const fs::path root = argv[1];
  const Date today = tarnwick::SystemClock().today();
  const fs::path stamp = root / "demo-written-on";
  std::string written;
  std::getline(std::ifstream(stamp) >> std::ws, written);
  if (written == tarnwick::isoDate(today)) return 0;

  try {
    fs::remove_all(root);
    writeFile(root / "Windows/System32/inetsrv/config/applicationHost.config", kConfig);
    // Site 1 keeps the older "ex" names; site 2 has IIS 7's "u_ex" names.
    struct LogSite {
      int id;
      fs::path folder;
      const char* prefix;
    };
    const LogSite sites[] = {{1, root / "inetpub/logs/LogFiles/W3SVC1", "ex"},
                             {2, root / "WebLogs/W3SVC2", "u_ex"}};
    std::mt19937 random(static_cast<unsigned>(today.year * 10000 + today.month * 100 + today.day));
    for (const LogSite& site : sites) {
      for (int k = 0; k < kDays; ++k) {
        const Date day = tarnwick::daysBefore(today, k);
        writeFile(site.folder / (site.prefix + tarnwick::yymmdd(day) + ".log"),
                  logText(day, site.id, random));
      }
    }
    writeFile(stamp, tarnwick::isoDate(today) + "\n");
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-demo-server: " << error.what() << '\n';
    return 1;
  }
  std::cout << "Demo server written to " << root.string() << '\n';
  return 0;
}
