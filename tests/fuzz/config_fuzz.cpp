// Fuzz target for the two configuration readers: whatever the bytes, reading them gives
// a result or a reason, never a crash, and every site read has its three texts and a log
// folder ending in a backslash. Built twice: as given (applicationHost.config and
// anything else), and wrapped into a MetaBase.xml's service node, so that the fuzzer
// spends its time inside each reader. Built twice more with the bytes read as UTF-16 and
// as UTF-32 (little-endian, after a byte-order mark), so that every encoding meets the
// same rules.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalogue/config_store.h"
#include "catalogue/site_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string content(reinterpret_cast<const char*>(data), size);
#if defined(TARNWICK_FUZZ_UTF16)
  content = "\xFF\xFE" + content;
#elif defined(TARNWICK_FUZZ_UTF32)
  content = std::string("\xFF\xFE\0\0", 4) + content;
#endif
#ifdef TARNWICK_FUZZ_METABASE
  content =
      "<configuration><MBProperty><IIsWebService Location='/LM/W3SVC' "
      "LogFileDirectory='C:\\L'/>" +
      content + "</MBProperty></configuration>";
#endif
  const tarnwick::ConfigOpenResult result = tarnwick::parseConfig(content, "fuzz");
  if (!result.ok()) {
    if (result.description().empty()) std::abort();
    return 0;
  }
  for (const tarnwick::Site& site : tarnwick::loadCatalogue(*result.store))
    if (site.logFolder.empty() || site.logFolder.back() != '\\') std::abort();
  return 0;
}
