#include "verify_bench.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "verify/address_ranges.h"
#include "verify/dns_checks.h"
#include "verify/ranges_update.h"

namespace tarnwick::bench {
namespace {

namespace fs = std::filesystem;

// A ranges file of `count` prefixes in the published shape, IPv4 and IPv6 mixed: the
// published ones hold some hundreds to a few thousand.
std::string rangesText(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::string text = R"({"creationTime":"2026-12-01T00:00:00.000000","prefixes":[)";
  for (int i = 0; i < count; ++i) {
    char prefix[64];
    if (i % 4 == 3)
      std::snprintf(prefix, sizeof prefix, R"({"ipv6Prefix":"2001:%x:%x::/64"})",
                    static_cast<unsigned>(random() % 65536),
                    static_cast<unsigned>(random() % 65536));
    else
      std::snprintf(prefix, sizeof prefix, R"({"ipv4Prefix":"%u.%u.%u.0/%u"})",
                    static_cast<unsigned>(random() % 224), static_cast<unsigned>(random() % 256),
                    static_cast<unsigned>(random() % 256),
                    24 + static_cast<unsigned>(random() % 5));
    text += (i ? "," : "") + std::string(prefix);
  }
  return text + "]}";
}

// Answers every address after `delay`, with a name in the crawler's domain that
// resolves back: the slow DNS of a busy day.
class SlowResolver final : public Resolver {
 public:
  explicit SlowResolver(std::chrono::milliseconds delay) : delay_(delay) {}
  Reverse reverse(const IpAddress& address) override {
    std::this_thread::sleep_for(delay_);
    return {Status::Found, "crawl-" + std::to_string(address.low & 0xffffffff) + ".baidu.com"};
  }
  Forward forward(const std::string& name) override {
    std::this_thread::sleep_for(delay_);
    const auto v4 = static_cast<std::uint64_t>(std::stoull(name.substr(6)));
    return {Status::Found, {IpAddress{0, (0xffffull << 32) | v4}}};
  }

 private:
  std::chrono::milliseconds delay_;
};

}  // namespace

bool verifyCases(const fs::path& detailDir) {
  const fs::path fields = detailDir / "fields.log", ranges = detailDir / "ranges";
  fs::create_directories(ranges);
  unsigned seed = 1;
  for (const RangesSource& source : rangesSources(std::nullopt))
    std::ofstream(ranges / source.name) << rangesText(2000, seed++);

  const std::string report =
      std::string(TARNWICK_REPORT) + " --file " + quoted(fields) + " --format json > /dev/null ";
  const std::string detail = report + "--detail";
  const std::string verify = report + "--verify --no-dns --ranges " + quoted(ranges);
  warm(detailDir);
  const double detailTime = bestSeconds([&] { capture(detail); });
  const double verifyTime = bestSeconds([&] { capture(verify); });
  std::printf("\n--verify --no-dns on the same log of 1 GiB, ranges files of 2,000 prefixes\n");
  line("tarnwick-report --detail", detailTime, detailTime, "--detail");
  line("tarnwick-report --verify --no-dns", verifyTime, detailTime, "--detail");
  bool met = verdict("--verify --no-dns within 1.1 x --detail", verifyTime <= 1.1 * detailTime);

  std::vector<AddressRanges> files;
  for (const RangesSource& source : rangesSources(std::nullopt))
    files.push_back(readRangesFile(ranges / source.name, SystemTextInput()).ranges);
  std::mt19937 random(7);
  std::vector<IpAddress> addresses;
  for (int i = 0; i < 100000; ++i)
    addresses.push_back(i % 4 ? IpAddress{0, (0xffffull << 32) | random()}
                              : IpAddress{0x20010000ull << 32 | random(), random()});
  std::size_t inside = 0;
  const double lookups = bestSeconds([&] {
    inside = 0;
    for (const IpAddress& address : addresses)
      for (const AddressRanges& file : files) inside += file.contains(address);
  });
  std::printf("\n100,000 distinct addresses against %zu ranges files of 2,000 prefixes\n",
              files.size());
  std::printf("  %-40s %8.1f ms   (%zu inside, %.0f ns an address and file)\n", "lookups",
              lookups * 1000, inside, lookups * 1e9 / (100000.0 * files.size()));
  met = verdict("100,000 addresses against every ranges file under 50 ms", lookups < 0.05) && met;

  // Reverse, then forward: two answers of 50 ms for each of 5,000 addresses.
  const auto started = std::chrono::steady_clock::now();
  {
    DnsChecks dns(std::make_shared<SlowResolver>(std::chrono::milliseconds(50)), {"baidu.com"});
    for (std::uint32_t i = 0; i < 5000; ++i) dns.answer(IpAddress{0, (0xffffull << 32) | i});
    dns.wait();
  }
  const double dnsTime =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("\nDNS for a day of 5,000 crawler addresses, each answer after 50 ms\n");
  std::printf("  %-40s %8.3f s   (one at a time: %.0f s)\n", "lookups", dnsTime, 5000 * 0.1);
  met = verdict("5,000 addresses' lookups in a few seconds (under 6 s)", dnsTime < 6) && met;
  return met;
}

}  // namespace tarnwick::bench
