#include "catalogue/config_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "catalogue/site_catalogue.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using Status = ConfigOpenResult::Status;

std::vector<Site> sitesOf(const std::string& fixture) {
  const ConfigOpenResult result = parseConfig(testing::testData(fixture), fixture);
  EXPECT_TRUE(result.ok()) << fixture << ": " << result.description();
  return result.ok() ? loadCatalogue(*result.store) : std::vector<Site>{};
}

struct SitesCase {
  const char* fixture;
  std::vector<Site> expected;
  friend std::ostream& operator<<(std::ostream& out, const SitesCase& c) {
    return out << c.fixture;
  }
};

class ConfigSites : public ::testing::TestWithParam<SitesCase> {};

TEST_P(ConfigSites, lists_sites_in_document_order_with_their_log_folders) {
  const auto sites = sitesOf(GetParam().fixture);
  ASSERT_EQ(sites.size(), GetParam().expected.size()) << GetParam().fixture;
  for (std::size_t i = 0; i < sites.size(); ++i) {
    EXPECT_EQ(sites[i].name, GetParam().expected[i].name);
    EXPECT_EQ(sites[i].id, GetParam().expected[i].id);
    EXPECT_EQ(sites[i].logFolder, GetParam().expected[i].logFolder);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ConfigSites,
    ::testing::Values(
        // Defaults from siteDefaults, own folders, a site without a name left out.
        SitesCase{"applicationHost.config",
                  {{"Default Web Site", "1", "C:\\inetpub\\logs\\LogFiles\\W3SVC1\\"},
                   {"企业门户", "2", "D:\\Logs\\\\W3SVC2\\"},
                   {"Shop", "5", "C:\\Windows\\System32\\LogFiles\\W3SVC5\\"}}},
        // No siteDefaults: the built-in default; unknown variables stay as written.
        SitesCase{"applicationHost-no-defaults.config",
                  {{"Intranet", "3", "C:\\inetpub\\logs\\LogFiles\\W3SVC3\\"},
                   {"Wiki", "7", "%UNKNOWNVAR%\\logs\\W3SVC7\\"}}},
        SitesCase{"applicationHost-no-sites.config", {}},
        // Byte-order mark, tabs, "Location =", case-insensitive names, a <Custom> property;
        // application pools, filters and deeper nodes are not sites.
        SitesCase{"MetaBase.xml",
                  {{"Default Web Site", "1", "C:\\WINDOWS\\system32\\LogFiles\\W3SVC1\\"},
                   {"论坛", "1207343", "D:\\weblogs\\\\W3SVC1207343\\"},
                   {"Stats", "3", "C:\\Windows\\System32\\LogFiles\\Stats\\W3SVC3\\"}}},
        SitesCase{"MetaBase-inherited-default.xml",
                  {{"Default Web Site", "1", "C:\\Windows\\System32\\LogFiles\\W3SVC1\\"},
                   {"Second", "2", "C:\\Windows\\System32\\LogFiles\\W3SVC2\\"}}}));

struct FailureCase {
  const char* fixture;
  Status status;
  const char* description;  // part of the description
  friend std::ostream& operator<<(std::ostream& out, const FailureCase& c) {
    return out << c.fixture;
  }
};

class BrokenConfig : public ::testing::TestWithParam<FailureCase> {};

TEST_P(BrokenConfig, is_reported_with_its_reason) {
  const ConfigOpenResult result = parseConfig(testing::testData(GetParam().fixture), "x");
  EXPECT_EQ(result.status, GetParam().status);
  EXPECT_FALSE(result.store);
  EXPECT_NE(result.description().find(GetParam().description), std::string::npos)
      << result.description();
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, BrokenConfig,
    ::testing::Values(FailureCase{"malformed.config", Status::NotWellFormed, "at line 6, column"},
                      FailureCase{"not-iis.xml", Status::NotIisConfiguration, "neither"},
                      FailureCase{"applicationHost-no-sites-section.config", Status::NoServiceNode,
                                  "<sites>"},
                      FailureCase{"MetaBase-no-service.xml", Status::NoServiceNode, "/LM/W3SVC"}));

TEST(config_store_test, files_that_cannot_be_read) {
  testing::TempDir dir;
  const SystemTextInput input;
  EXPECT_EQ(openConfigFile(dir.path() / "missing.config", input).status, Status::FileNotFound);
  const ConfigOpenResult folder = openConfigFile(dir.path(), input);
  EXPECT_EQ(folder.status, Status::NotAFile);
  EXPECT_EQ(folder.description(), "a folder, not a file");
  const auto huge = dir.write("huge.config", "<configuration>");
  std::filesystem::resize_file(huge, kMaxConfigBytes + 1);
  EXPECT_EQ(openConfigFile(huge, input).status, Status::TooLarge);
  EXPECT_NE(openConfigFile(huge, input).description().find("16 MiB"), std::string::npos);
  const auto empty = dir.write("empty.config", "");
  EXPECT_EQ(openConfigFile(empty, input).status, Status::NotWellFormed);
  const auto good = dir.write("any-name.txt", testing::testData("MetaBase.xml"));
  EXPECT_TRUE(openConfigFile(good, input).ok()) << "recognised by content, not by name";
}

struct ReferenceCase {
  const char* reference;
  bool allowed;
};

// The parser lets these through: "&#0;" would cut a name short, and the others are no
// characters at all. They are parse errors, with their place.
// `utf8` as a configuration file in `encoding`, with a byte-order mark where asked.
std::string encoded(const std::string& utf8, const char* encoding, bool mark) {
  std::u32string codes;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
    codes += code;
    i += length;
  }
  if (mark) codes.insert(codes.begin(), U'\xFEFF');
  const std::string name = encoding;
  const bool wide32 = name.starts_with("UTF-32"), big = name.ends_with("BE");
  std::string out;
  const auto put = [&](std::uint32_t unit, int bytes) {
    for (int b = 0; b < bytes; ++b) {
      const int shift = 8 * (big ? bytes - 1 - b : b);
      out += static_cast<char>((unit >> shift) & 0xFF);
    }
  };
  for (const char32_t code : codes) {
    if (wide32) {
      put(code, 4);
    } else if (code >= 0x10000) {
      put(0xD800 + ((code - 0x10000) >> 10), 2);
      put(0xDC00 + ((code - 0x10000) & 0x3FF), 2);
    } else {
      put(code, 2);
    }
  }
  return name == "UTF-8" ? (mark ? "\xEF\xBB\xBF" + utf8 : utf8) : out;
}

class EveryEncoding : public ::testing::TestWithParam<std::pair<const char*, bool>> {};

// The same rules whatever the encoding: references to no character are errors with
// their place, and names arrive whole.
TEST_P(EveryEncoding, references_to_no_character_are_errors_with_their_place) {
  const auto [encoding, mark] = GetParam();
  for (const char* reference : {"&#0;", "&#xD800;", "&#x110000;", "&#1;", "&#xFFFE;"}) {
    const std::string config = std::string(
                                   "<configuration><system.applicationHost><sites>\n"
                                   "  <site name=\"A") +
                               reference +
                               "\" id=\"1\" />\n</sites></system.applicationHost>"
                               "</configuration>";
    const ConfigOpenResult result = parseConfig(encoded(config, encoding, mark), "x");
    EXPECT_EQ(result.status, Status::NotWellFormed) << reference;
    EXPECT_EQ(result.line, 2) << reference;
    EXPECT_EQ(result.column, 16) << reference;
  }
  const std::string good =
      "<?xml version=\"1.0\"?>\n<configuration><system.applicationHost><sites>"
      "<site name=\"企业&#x95E8;户 &#x1F577;\xF0\x9F\x95\xB8\" id=\"2\"><logFile "
      "directory=\"C:\\L\" /></site>"
      "</sites></system.applicationHost></configuration>";
  const ConfigOpenResult result = parseConfig(encoded(good, encoding, mark), "x");
  ASSERT_TRUE(result.ok()) << result.description();
  const std::vector<Site> sites = loadCatalogue(*result.store);
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].name, "企业门户 \xF0\x9F\x95\xB7\xF0\x9F\x95\xB8")
      << "a character past U+FFFF, written as a reference and as itself";
}

INSTANTIATE_TEST_SUITE_P(Encodings, EveryEncoding,
                         ::testing::Values(std::pair{"UTF-8", false}, std::pair{"UTF-8", true},
                                           std::pair{"UTF-16LE", true}, std::pair{"UTF-16BE", true},
                                           std::pair{"UTF-16LE", false},
                                           std::pair{"UTF-16BE", false},
                                           std::pair{"UTF-32LE", true}, std::pair{"UTF-32BE", true},
                                           std::pair{"UTF-32LE", false}),
                         [](const auto& info) {
                           std::string name =
                               std::string(info.param.first) + (info.param.second ? "_bom" : "");
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

TEST(config_store_test, character_references_to_no_character_are_errors) {
  const ReferenceCase cases[] = {
      {"&#0;", false},       {"&#x0;", false},          {"&#xD800;", false}, {"&#57343;", false},
      {"&#x110000;", false}, {"&#99999999999;", false}, {"&#x1;", false},    {"&#xFFFE;", false},
      {"&#x9;", true},       {"&#x4E2D;", true},        {"&#65;", true},     {"&amp;", true},
  };
  for (const ReferenceCase& c : cases) {
    const std::string config = std::string(
                                   "<configuration><system.applicationHost><sites>\n"
                                   "  <site name=\"A") +
                               c.reference +
                               "\" id=\"1\" />\n</sites></system.applicationHost>"
                               "<!-- &#0; in a comment is text --></configuration>";
    const ConfigOpenResult result = parseConfig(config, "x");
    EXPECT_EQ(result.ok(), c.allowed) << c.reference << ": " << result.description();
    if (!c.allowed) {
      EXPECT_EQ(result.status, Status::NotWellFormed);
      EXPECT_EQ(result.line, 2) << c.reference;
      EXPECT_EQ(result.column, 16) << c.reference;
    }
  }
}

struct RolloverCase {
  const char* name;
  std::string config;
  std::vector<LogClock> clocks;  // per site
};

class Rollover : public ::testing::TestWithParam<RolloverCase> {};

// A site names its logs by the local date only where it or what it inherits says so.
TEST_P(Rollover, is_read_per_site_with_inheritance) {
  const ConfigOpenResult result = parseConfig(GetParam().config, "x");
  ASSERT_TRUE(result.ok()) << result.description();
  std::vector<LogClock> clocks;
  for (const Site& site : loadCatalogue(*result.store)) clocks.push_back(site.logClock);
  EXPECT_EQ(clocks, GetParam().clocks);
}

const std::string kHost = "<configuration><system.applicationHost><sites>";
const std::string kHostEnd = "</sites></system.applicationHost></configuration>";
const std::string kMeta = "<configuration><MBProperty>";
const std::string kMetaEnd = "</MBProperty></configuration>";
constexpr auto kUtc = LogClock::Utc;
constexpr auto kLocal = LogClock::Local;

INSTANTIATE_TEST_SUITE_P(
    Formats, Rollover,
    ::testing::Values(
        RolloverCase{"iis7_default_is_utc", kHost + "<site name='A' id='1'/>" + kHostEnd, {kUtc}},
        RolloverCase{"iis7_on_the_site",
                     kHost +
                         "<site name='A' id='1'><logFile localTimeRollover='true'/></site>"
                         "<site name='B' id='2'/>" +
                         kHostEnd,
                     {kLocal, kUtc}},
        RolloverCase{"iis7_inherited",
                     kHost +
                         "<site name='A' id='1'/>"
                         "<site name='B' id='2'><logFile localTimeRollover='false'/></site>"
                         "<siteDefaults><logFile localTimeRollover='true'/></siteDefaults>" +
                         kHostEnd,
                     {kLocal, kUtc}},
        RolloverCase{"iis6_on_the_site",
                     kMeta +
                         "<IIsWebService Location='/LM/W3SVC' LogFileDirectory='C:\\L'/>"
                         "<IIsWebServer Location='/LM/W3SVC/1' ServerComment='A' "
                         "LogFileLocalTimeRollover='TRUE'/>"
                         "<IIsWebServer Location='/LM/W3SVC/2' ServerComment='B'/>" +
                         kMetaEnd,
                     {kLocal, kUtc}},
        RolloverCase{"iis6_inherited_from_the_service",
                     kMeta +
                         "<IIsWebService Location='/LM/W3SVC' LogFileDirectory='C:\\L' "
                         "LogFileLocalTimeRollover='TRUE'/>"
                         "<IIsWebServer Location='/LM/W3SVC/1' ServerComment='A'/>"
                         "<IIsWebServer Location='/LM/W3SVC/2' ServerComment='B' "
                         "LogFileLocalTimeRollover='FALSE'/>" +
                         kMetaEnd,
                     {kLocal, kUtc}},
        // The metabase writes booleans as 1 and 0 as often as TRUE and FALSE.
        RolloverCase{"iis6_written_as_numbers",
                     kMeta +
                         "<IIsWebService Location='/LM/W3SVC' LogFileDirectory='C:\\L'/>"
                         "<IIsWebServer Location='/LM/W3SVC/1' ServerComment='A' "
                         "LogFileLocalTimeRollover='1'/>"
                         "<IIsWebServer Location='/LM/W3SVC/2' ServerComment='B' "
                         "LogFileLocalTimeRollover='0'/>"
                         "<IIsWebServer Location='/LM/W3SVC/3' ServerComment='C' "
                         "LogFileLocalTimeRollover='yes'/>" +
                         kMetaEnd,
                     {kLocal, kUtc, kUtc}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExpandCase {
  const char* text;
  const char* expanded;
};

// A variable's value is used as it stands, never searched again for variables; a "%" that
// opens no known name stays.
TEST(config_store_test, variables_expand_once_and_unknown_ones_stay) {
  const auto lookup = [](std::string_view name) -> std::optional<std::string> {
    if (name == "SystemDrive") return "C:";
    if (name == "LOOP") return "%LOOP%";
    if (name == "HALF") return "%SystemDrive";
    if (name == "Empty") return "";
    return std::nullopt;
  };
  const ExpandCase cases[] = {
      {"%SystemDrive%\\inetpub", "C:\\inetpub"},
      {"%LOOP%\\x", "%LOOP%\\x"},                     // no second pass, no endless loop
      {"%HALF%%\\x", "%SystemDrive%\\x"},             // nor a name made of a value and the rest
      {"100%%SystemDrive%\\x", "100%C:\\x"},          // the first "%" opens no name
      {"%Unknown%\\%SystemDrive%", "%Unknown%\\C:"},  // the unknown name stays
      {"%Empty%\\logs", "\\logs"},
      {"%%", "%%"},
      {"no variables", "no variables"},
      {"%SystemDrive", "%SystemDrive"},
  };
  for (const ExpandCase& c : cases)
    EXPECT_EQ(expandVariables(c.text, lookup), c.expanded) << c.text;
}

}  // namespace
}  // namespace tarnwick
