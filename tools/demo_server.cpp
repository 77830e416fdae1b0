// tarnwick-demo-server DIR: writes a made-up IIS 7 server's system drive into DIR:
// its applicationHost.config with three sites and, for the two that log, 30 daily W3C
// logs ending today, as IIS writes them: named by the UTC date, or by the local date
// for the site that rolls over by local time. Does nothing when DIR is up to date.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "calendar/date.h"
#include "platform/clock.h"
#include "sample_logs.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::Date;
using tarnwick::w3cHeader;
using tarnwick::w3cLines;

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
                <logFile directory="C:\WebLogs" localTimeRollover="true" />
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
  const tarnwick::SystemClock clock;
  const Date utcToday = clock.today(tarnwick::LogClock::Utc);
  const Date localToday = clock.today(tarnwick::LogClock::Local);
  const std::string version =
      "3 " + tarnwick::isoDate(utcToday) + " " + tarnwick::isoDate(localToday);
  const fs::path stamp = root / "demo-written-on";
  std::string written;
  std::getline(std::ifstream(stamp) >> std::ws, written);
  if (written == version) return 0;

  try {
    fs::remove_all(root);
    writeFile(root / "Windows/System32/inetsrv/config/applicationHost.config", kConfig);
    // Site 1 keeps the older "ex" names; site 2 has IIS 7's "u_ex" names.
    struct LogSite {
      int id;
      fs::path folder;
      const char* prefix;
      Date today;  // by the clock its logs are named by
    };
    const LogSite sites[] = {{1, root / "inetpub/logs/LogFiles/W3SVC1", "ex", utcToday},
                             {2, root / "WebLogs/W3SVC2", "u_ex", localToday}};
    std::mt19937 random(
        static_cast<unsigned>(utcToday.year * 10000 + utcToday.month * 100 + utcToday.day));
    for (const LogSite& site : sites) {
      for (int k = 0; k < kDays; ++k) {
        const Date day = tarnwick::daysBefore(site.today, k);
        writeFile(site.folder / (site.prefix + tarnwick::yymmdd(day) + ".log"),
                  w3cHeader(day) +
                      w3cLines(day, site.id, 800 + static_cast<int>(random() % 1200), random));
      }
    }
    // Ranges files in the shape their operators publish, for --verify --ranges DIR/ranges.
    const std::string created =
        "\"creationTime\": \"" + tarnwick::isoDate(utcToday) + "T00:00:00.000000\",\n";
    writeFile(root / "ranges/common-crawlers.json",
              "{\n" + created +
                  "\"prefixes\": [\n{\"ipv6Prefix\": \"2001:4860:4801:10::/64\"},\n"
                  "{\"ipv4Prefix\": \"66.249.64.0/20\"}\n]\n}\n");
    writeFile(root / "ranges/bingbot.json",
              "{\n" + created + "\"prefixes\": [{\"ipv4Prefix\": \"157.55.39.0/24\"}]\n}\n");
    writeFile(stamp, version + "\n");
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-demo-server: " << error.what() << '\n';
    return 1;
  }
  std::cout << "Demo server written to " << root.string() << '\n';
  return 0;
}
