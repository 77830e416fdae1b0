// Telling crawler lines from impostors: addresses, ranges files, the rules, DNS.

#include <sys/stat.h>

#include "test_support.h"
#include "verify/address_ranges.h"
#include "verify/crawler_checks.h"
#include "verify/dns_checks.h"
#include "verify/ip_address.h"
#include "verify/verifier.h"

namespace tarnwick {
namespace {

using testing::FakeResolver;

struct AddressCase {
  const char* text;
  const char* written;  // as text() writes it; null where it is no address
};

class AddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressTest, parses_and_writes) {
  const auto address = parseIpAddress(GetParam().text);
  if (!GetParam().written) {
    EXPECT_FALSE(address) << GetParam().text;
    return;
  }
  ASSERT_TRUE(address) << GetParam().text;
  EXPECT_EQ(address->text(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressTest,
    ::testing::Values(AddressCase{"66.249.66.1", "66.249.66.1"}, AddressCase{"0.0.0.0", "0.0.0.0"},
                      AddressCase{"255.255.255.255", "255.255.255.255"},
                      AddressCase{"::ffff:66.249.66.1", "66.249.66.1"},
                      AddressCase{"::FFFF:4232:4201", "66.50.66.1"},
                      AddressCase{"2001:4860:4801:10::1", "2001:4860:4801:10::1"},
                      AddressCase{"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},
                      AddressCase{"::", "::"}, AddressCase{"::1", "::1"}, AddressCase{"1::", "1::"},
                      AddressCase{"256.1.1.1", nullptr}, AddressCase{"1.2.3", nullptr},
                      AddressCase{"1.2.3.4.5", nullptr}, AddressCase{"01.2.3.4", nullptr},
                      AddressCase{"1.2.3.4 ", nullptr}, AddressCase{"-", nullptr},
                      AddressCase{"", nullptr}, AddressCase{"1:2:3:4:5:6:7:8:9", nullptr},
                      AddressCase{"1::2::3", nullptr}, AddressCase{"12345::", nullptr},
                      AddressCase{"fe80::1%eth0", nullptr}, AddressCase{"::ffff:1.2.3", nullptr}));

struct PrefixCase {
  const char* prefix;
  const char* inside;
  const char* outside;  // null where nothing is outside
};

class PrefixTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixTest, holds_what_it_covers) {
  const auto prefix = parseIpPrefix(GetParam().prefix);
  ASSERT_TRUE(prefix) << GetParam().prefix;
  AddressRanges ranges;
  ranges.add(*prefix);
  ranges.finish();
  EXPECT_TRUE(ranges.contains(*parseIpAddress(GetParam().inside)));
  if (GetParam().outside) {
    EXPECT_FALSE(ranges.contains(*parseIpAddress(GetParam().outside)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, PrefixTest,
    ::testing::Values(PrefixCase{"66.249.64.0/27", "66.249.64.31", "66.249.64.32"},
                      PrefixCase{"66.249.64.7/27", "66.249.64.0", "66.249.63.255"},
                      PrefixCase{"66.249.64.1/32", "::ffff:66.249.64.1", "66.249.64.2"},
                      PrefixCase{"66.249.64.1", "66.249.64.1", "66.249.64.0"},
                      PrefixCase{"0.0.0.0/0", "255.255.255.255", "::1"},
                      PrefixCase{"2001:4860:4801:10::/64", "2001:4860:4801:10:ffff::1",
                                 "2001:4860:4801:11::"},
                      PrefixCase{"::/0", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", nullptr},
                      PrefixCase{"2001:db8::1/128", "2001:db8::1", "2001:db8::2"}));

TEST(verify_test, bad_prefixes_are_refused) {
  for (const char* text : {"66.249.64.0/33", "66.249.64.0/", "66.249.64.0/-1", "::/129",
                           "66.249.64.0/08", "66.249.64.0/27x", "x/8"})
    EXPECT_FALSE(parseIpPrefix(text)) << text;
}

struct RangesCase {
  const char* name;
  std::string text;
  RangesFile::Status status;
  std::vector<const char*> inside{};
  std::vector<const char*> outside{};
};

class RangesFileTest : public ::testing::TestWithParam<RangesCase> {};

TEST_P(RangesFileTest, reads_the_published_shape) {
  const RangesFile file = parseRangesFile(GetParam().text);
  EXPECT_EQ(file.status, GetParam().status) << file.description();
  for (const char* address : GetParam().inside)
    EXPECT_TRUE(file.ranges.contains(*parseIpAddress(address))) << address;
  for (const char* address : GetParam().outside)
    EXPECT_FALSE(file.ranges.contains(*parseIpAddress(address))) << address;
}

const std::string kGoogleShape = R"({
  "creationTime": "2026-11-30T15:46:41.000000",
  "prefixes": [
    {"ipv6Prefix": "2001:4860:4801:10::/64"},
    {"ipv4Prefix": "66.249.64.0/27"},
    {"ipv4Prefix": "66.249.64.16/28"},
    {"ipv4Prefix": "66.249.64.32/27"}
  ]
})";

INSTANTIATE_TEST_SUITE_P(
    Files, RangesFileTest,
    ::testing::Values(
        RangesCase{"published",
                   kGoogleShape,
                   RangesFile::Status::Ok,
                   {"66.249.64.0", "66.249.64.63", "2001:4860:4801:10::5", "::ffff:66.249.64.1"},
                   {"66.249.64.64", "66.249.63.255", "2001:4860:4801:11::"}},
        RangesCase{"bom_and_escapes",
                   "\xEF\xBB\xBF{\"prefixes\":[{\"ipv4Prefix\":\"10.0.0.0\\/8\",\"n\":-1.5e3,"
                   "\"x\":[true,false,null,\"\\u4e2d\\ud83d\\ude00\"]}]}",
                   RangesFile::Status::Ok,
                   {"10.1.2.3"},
                   {"11.0.0.0"}},
        RangesCase{"truncated", kGoogleShape.substr(0, 120), RangesFile::Status::NotJson},
        RangesCase{"trailing_comma", R"({"prefixes":[{"ipv4Prefix":"1.2.3.0/24"},]})",
                   RangesFile::Status::NotJson},
        RangesCase{"text_after", R"({"prefixes":[{"ipv4Prefix":"1.2.3.0/24"}]} x)",
                   RangesFile::Status::NotJson},
        RangesCase{"html_error_page", "<html>404</html>", RangesFile::Status::NotJson},
        RangesCase{"lone_surrogate", R"({"a":"\ud800"})", RangesFile::Status::NotJson},
        RangesCase{"deep", std::string(100, '[') + std::string(100, ']'),
                   RangesFile::Status::NotJson},
        RangesCase{"bad_prefix", R"({"prefixes":[{"ipv4Prefix":"1.2.3.0/40"}]})",
                   RangesFile::Status::BadPrefix},
        RangesCase{"v6_under_v4", R"({"prefixes":[{"ipv4Prefix":"2001:db8::/32"}]})",
                   RangesFile::Status::BadPrefix},
        RangesCase{"no_prefixes", R"({"creationTime":"2026-01-01","prefixes":[]})",
                   RangesFile::Status::NoPrefixes},
        RangesCase{"empty", "", RangesFile::Status::NotJson}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(verify_test, ranges_file_knows_its_day_and_joins_overlaps) {
  const RangesFile file = parseRangesFile(kGoogleShape);
  ASSERT_TRUE(file.created);
  EXPECT_EQ(*file.created, (Date{2026, 11, 30}));
  EXPECT_EQ(file.prefixes, 4u);
  EXPECT_EQ(file.ranges.spans(), 2u) << "three IPv4 prefixes that overlap and touch are one span";
}

TEST(verify_test, large_file_and_fifo) {
  testing::TempDir dir;
  std::string big = R"({"prefixes":[)";
  for (int i = 0; big.size() < (50u << 20); ++i)
    big += R"({"ipv4Prefix":")" + std::to_string(i >> 16 & 255) + "." +
           std::to_string(i >> 8 & 255) + "." + std::to_string(i & 255) + R"(.0/24"},)";
  big += R"({"ipv6Prefix":"::/128"}]})";
  const SystemTextInput input;
  const RangesFile file = readRangesFile(dir.write("big.json", big), input);
  EXPECT_TRUE(file.ok()) << file.description();
  EXPECT_TRUE(file.ranges.contains(*parseIpAddress("1.2.3.4")));
#ifndef _WIN32
  const auto fifo = dir.path() / "fifo.json";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(readRangesFile(fifo, input).status, RangesFile::Status::Unreadable)
      << "a pipe is never opened, so nothing can block";
#endif
}

struct DomainCase {
  const char* name;
  const char* domain;
  bool in;
};

TEST(verify_test, domains_match_on_label_boundaries) {
  for (const DomainCase& c :
       {DomainCase{"baiduspider-1-2-3-4.crawl.baidu.com", "baidu.com", true},
        DomainCase{"baidu.com", "baidu.com", true},
        DomainCase{"crawl.BAIDU.com.", "baidu.com", true},
        DomainCase{"notbaidu.com", "baidu.com", false},
        DomainCase{"baidu.com.evil.net", "baidu.com", false},
        DomainCase{"aidu.com", "baidu.com", false}, DomainCase{"x.baidu.jp", "baidu.com", false}})
    EXPECT_EQ(inDomain(c.name, c.domain), c.in) << c.name << " in " << c.domain;
}

// A crawler list with checks, a ranges file for Googlebot, and a resolver that knows a
// few addresses.
struct Scene {
  CrawlerList crawlers = designedCrawlers();
  RangesFolder ranges;
  std::shared_ptr<FakeResolver> resolver = std::make_shared<FakeResolver>();

  Scene() {
    ranges.found.push_back({"common-crawlers.json", parseRangesFile(kGoogleShape)});
    auto& names = resolver->names;
    auto& addresses = resolver->addresses;
    names["1.1.1.1"] = {Resolver::Status::Found, "baiduspider-1-1-1-1.crawl.baidu.com"};
    addresses["baiduspider-1-1-1-1.crawl.baidu.com"] = {"1.1.1.1"};
    names["1.1.1.2"] = {Resolver::Status::Found, "host.example.net"};
    names["1.1.1.3"] = {Resolver::Status::Found, "crawl.notbaidu.com"};
    names["1.1.1.4"] = {Resolver::Status::Found, "crawl.baidu.com"};
    addresses["crawl.baidu.com"] = {"9.9.9.9"};  // does not resolve back
    names["1.1.1.5"] = {Resolver::Status::Found, "crawl\x01.baidu.com"};
    names["1.1.1.6"] = {Resolver::Status::Found, std::string(290, 'a') + ".baidu.com"};
    names["1.1.1.7"] = {Resolver::Status::Failed, ""};
    names["1.1.1.8"] = {Resolver::Status::Found, "crawl-1-1-1-8.googlebot.com"};
    addresses["crawl-1-1-1-8.googlebot.com"] = {"::ffff:1.1.1.8"};
    names["2001:db8::1"] = {Resolver::Status::Found, "v6.crawl.baidu.jp"};
    addresses["v6.crawl.baidu.jp"] = {"2001:db8::1"};
  }
};

struct RuleCase {
  const char* name;
  const char* token;
  const char* address;
  Verdict verdict;
};

class RuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleTest, tells_each_line) {
  Scene scene;
  DnsChecks dns(scene.resolver, Verifier::domainsOf(scene.crawlers));
  const Verifier verifier(scene.crawlers, scene.ranges, &dns);
  std::size_t crawler = 0;
  while (scene.crawlers[crawler].token != GetParam().token) ++crawler;
  AddressLines lines;
  lines.lines = 3;
  lines.byAddress.emplace_back(*parseIpAddress(GetParam().address), 3);
  verifier.tally(crawler, lines);
  dns.wait();
  const Verdicts verdicts = verifier.tally(crawler, lines);
  EXPECT_EQ(verdicts.pending, 0u);
  const Verdicts expected{GetParam().verdict == Verdict::Verified ? 3u : 0u,
                          GetParam().verdict == Verdict::Fake ? 3u : 0u,
                          GetParam().verdict == Verdict::Unverified ? 3u : 0u, 0u};
  EXPECT_EQ(verdicts, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleTest,
    ::testing::Values(RuleCase{"right_domain", "Baiduspider", "1.1.1.1", Verdict::Verified},
                      RuleCase{"wrong_domain", "Baiduspider", "1.1.1.2", Verdict::Fake},
                      RuleCase{"look_alike", "Baiduspider", "1.1.1.3", Verdict::Fake},
                      RuleCase{"forward_mismatch", "Baiduspider", "1.1.1.4", Verdict::Fake},
                      RuleCase{"control_character", "Baiduspider", "1.1.1.5", Verdict::Fake},
                      RuleCase{"name_of_300_bytes", "Baiduspider", "1.1.1.6", Verdict::Fake},
                      RuleCase{"lookup_failed", "Baiduspider", "1.1.1.7", Verdict::Unverified},
                      RuleCase{"no_name", "Baiduspider", "1.1.1.9", Verdict::Unverified},
                      RuleCase{"ipv6", "Baiduspider", "2001:db8::1", Verdict::Verified},
                      RuleCase{"in_ranges", "Googlebot", "66.249.64.5", Verdict::Verified},
                      RuleCase{"outside_ranges_dns_confirms", "Googlebot", "1.1.1.8",
                               Verdict::Verified},
                      RuleCase{"outside_ranges_no_name", "Googlebot", "1.1.1.9", Verdict::Fake},
                      RuleCase{"other_crawlers_domain", "Googlebot", "1.1.1.1", Verdict::Fake},
                      RuleCase{"no_checks_at_all", "Sosospider", "1.1.1.1", Verdict::Unverified}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(verify_test, without_dns_only_ranges_tell) {
  Scene scene;
  const Verifier verifier(scene.crawlers, scene.ranges, nullptr);
  AddressLines lines;
  lines.lines = 10;  // 3 of them without an address
  lines.byAddress = {{*parseIpAddress("66.249.64.1"), 4}, {*parseIpAddress("1.1.1.1"), 3}};
  EXPECT_EQ(verifier.tally(1, lines), (Verdicts{4, 3, 3, 0}));
  EXPECT_EQ(verifier.tally(0, lines), (Verdicts{0, 0, 10, 0})) << "Baidu has no ranges";
  EXPECT_EQ(scene.resolver->calls, 0);
}

TEST(verify_test, timeout_is_unverified_and_never_waits) {
  Scene scene;
  auto gate = std::make_shared<testing::Gate>();  // never opened until the end
  scene.resolver->gate = gate;
  {
    DnsChecks dns(scene.resolver, {"baidu.com"}, {4, std::chrono::milliseconds(50)});
    const Verifier verifier(scene.crawlers, scene.ranges, &dns);
    AddressLines lines;
    lines.lines = 2;
    lines.byAddress = {{*parseIpAddress("1.1.1.1"), 1}, {*parseIpAddress("1.1.1.2"), 1}};
    EXPECT_EQ(verifier.tally(0, lines).pending, 2u);
    const auto start = std::chrono::steady_clock::now();
    dns.wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(verifier.tally(0, lines), (Verdicts{0, 0, 2, 0}));
    // A stuck lookup leaves room for the next.
    lines.byAddress = {{*parseIpAddress("1.1.1.3"), 1}};
    verifier.tally(0, lines);
    EXPECT_EQ(dns.pending(), 1u);
    dns.cancel();
    EXPECT_EQ(dns.pending(), 0u);
  }
  // Answers that come after the checks are gone change nothing and crash nothing.
  gate->open();
}

TEST(verify_test, each_address_asked_once) {
  Scene scene;
  DnsChecks dns(scene.resolver, {"baidu.com"});
  for (int i = 0; i < 3; ++i) dns.answer(*parseIpAddress("1.1.1.2"));
  dns.wait();
  EXPECT_EQ(dns.asked(), 1u);
  EXPECT_EQ(scene.resolver->calls, 1) << "a name outside every domain is not looked up again";
  EXPECT_EQ(dns.answer(*parseIpAddress("1.1.1.2"))->status, DnsAnswer::Status::Named);
}

}  // namespace
}  // namespace tarnwick
