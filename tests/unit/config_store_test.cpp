#include "platform/config_store.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(openConfigFile(dir.path(), input).status, Status::FileNotFound) << "a folder";
  const auto empty = dir.write("empty.config", "");
  EXPECT_EQ(openConfigFile(empty, input).status, Status::NotWellFormed);
  const auto good = dir.write("any-name.txt", testing::testData("MetaBase.xml"));
  EXPECT_TRUE(openConfigFile(good, input).ok()) << "recognised by content, not by name";
}

}  // namespace
}  // namespace tarnwick
