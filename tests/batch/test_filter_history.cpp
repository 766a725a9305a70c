#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "batch/filter_history.h"

namespace snpln::test {
namespace {

using List = std::vector<std::string>;

class MemoryStore : public batch::SettingsStore {
public:
  std::string read(const std::string &name) override {
    reads.push_back(name);
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  bool write(const std::string &name, const std::string &value) override {
    writes.push_back(name);
    if (failWrites)
      return false;
    values[name] = value;
    return true;
  }
  std::map<std::string, std::string> values;
  List reads, writes;
  bool failWrites = false;
};

TEST(FilterHistory, FirstStartGetsDefaultsAndStoresThem) {
  MemoryStore store;
  List list = batch::loadFilters(store);
  EXPECT_EQ((List{"*.htm* *.txt", "*.doc"}), list);
  EXPECT_EQ(10u, store.reads.size());
  EXPECT_EQ("filter0", store.reads.front());
  EXPECT_EQ("filter9", store.reads.back());
  batch::storeFilters(store, list);
  EXPECT_EQ((std::map<std::string, std::string>{{"filter0", "*.htm* *.txt"},
                                                {"filter1", "*.doc"}}),
            store.values);
}

TEST(FilterHistory, GapsCloseOnLoadHigherValuesStayOnStore) {
  MemoryStore store;
  store.values = {{"filter0", "a"}, {"filter2", "c"}, {"filter1", ""}};
  List list = batch::loadFilters(store);
  EXPECT_EQ((List{"a", "c"}), list);
  batch::storeFilters(store, list);
  EXPECT_EQ("a", store.values["filter0"]);
  EXPECT_EQ("c", store.values["filter1"]);
  EXPECT_EQ("c", store.values["filter2"]); // untouched
  EXPECT_EQ((List{"a", "c", "c"}), batch::loadFilters(store));
}

TEST(FilterHistory, TwelveFiltersRunKeepTheTenMostRecent) {
  MemoryStore store;
  List list = batch::loadFilters(store);
  for (int i = 0; i < 12; ++i)
    batch::promoteFilter(list, "*.f" + std::to_string(i));
  EXPECT_EQ(14u, list.size()); // no limit while running
  batch::storeFilters(store, list);
  EXPECT_EQ(10u, store.values.size());
  EXPECT_EQ("*.f11", store.values["filter0"]);
  EXPECT_EQ("*.f2", store.values["filter9"]);
  EXPECT_EQ(10u, batch::loadFilters(store).size());
}

TEST(FilterHistory, WriteFailuresAreNotFatal) {
  MemoryStore store;
  store.failWrites = true;
  batch::storeFilters(store, {"a", "b"});
  EXPECT_EQ((List{"filter0", "filter1"}), store.writes);
}

struct PromoteCase {
  const char *name;
  List before;
  std::string text;
  List after;
};

TEST(PromoteFilter, Cases) {
  const PromoteCase cases[] = {
      {"third moves to the top",
       {"a", "b", "*.txt", "d"},
       "*.txt",
       {"*.txt", "a", "b", "d"}},
      {"already first", {"x", "y"}, "x", {"x", "y"}},
      {"new text inserted", {"x"}, "z", {"z", "x"}},
      {"empty list", {}, "z", {"z"}},
      {"empty text changes nothing", {"x"}, "", {"x"}},
      {"letter case significant", {"*.TXT"}, "*.txt", {"*.txt", "*.TXT"}},
      {"only the first equal entry goes",
       {"a", "x", "a"},
       "a",
       {"a", "x", "a"}},
      {"blanks only is a text", {"x"}, " \t", {" \t", "x"}},
  };
  for (const auto &c : cases) {
    List list = c.before;
    batch::promoteFilter(list, c.text);
    EXPECT_EQ(c.after, list) << c.name;
  }
}

} // namespace
} // namespace snpln::test
