#include "scriptedfixture.h"

#include <vector>

namespace {

using scripted::calls;
using scripted::Property;
using scripted::QueryRun;
using scripted::script;


class QueryTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    testing::internal::CaptureStderr();
    connection_ = new WmiConnection;
    ASSERT_EQ(connection_->connect("ROOT\\CIMV2"), 0);
    calls().clear();
  }
  // Ends the connection and returns its diagnostic output.
  std::string end() {
    delete connection_;
    connection_ = nullptr;
    return testing::internal::GetCapturedStderr();
  }
  void TearDown() override {
    if (connection_) end();
    ScriptedTest::TearDown();
  }
  WmiConnection &c() { return *connection_; }

  std::vector<std::string> strings(const std::vector<Property> &values, bool all = true) {
    std::vector<std::map<std::string, Property>> list;
    for (const auto &value : values) list.push_back({{"Caption", value}});
    query("SELECT * FROM T", objects(list));
    std::vector<std::string> out;
    EXPECT_EQ(c().query_string_property("SELECT * FROM T", "Caption", out, all), 0);
    return out;
  }
  std::vector<uint32_t> numbers(const std::vector<Property> &values) {
    std::vector<std::map<std::string, Property>> list;
    for (const auto &value : values) list.push_back({{"Signature", value}});
    query("SELECT * FROM T", objects(list));
    std::vector<uint32_t> out;
    EXPECT_EQ(c().query_uint_property("SELECT * FROM T", "Signature", out, true), 0);
    return out;
  }

  WmiConnection *connection_ = nullptr;
};

TEST_F(QueryTest, SendsBstrTextsForwardOnlyAndReadsOnePropertyPerObject) {
  query("SELECT * FROM Win32_Processor",
        objects({{{"ProcessorId", Property::string(L"BFEBFBFF000906EA")}}}));
  std::vector<std::string> ids;
  EXPECT_EQ(c().query_processor_ids(ids, false), 0);
  EXPECT_EQ(ids, std::vector<std::string>{"BFEBFBFF000906EA"});
  EXPECT_EQ(calls(), (std::vector<std::string>{
                         "ExecQuery(WQL|SELECT * FROM Win32_Processor|48|null)",
                         "Next(4294967295,1)", "Get(ProcessorId,0,null,null)", "VariantClear",
                         "Release(object)", "Release(enumerator)"}));
  EXPECT_EQ(c().status, 0);
  EXPECT_EQ(end(), "");
}

TEST_F(QueryTest, FirstObjectOnlyOrAllInWmiOrder) {
  auto three = objects({{{"SerialNumber", Property::string(L"A")}},
                        {{"SerialNumber", Property::string(L"B")}},
                        {{"SerialNumber", Property::string(L"C")}}});
  query(kDisks, three);
  std::vector<std::string> first{"kept"};
  EXPECT_EQ(c().query_disk_serials(first, false), 0);
  EXPECT_EQ(first, (std::vector<std::string>{"kept", "A"}));
  EXPECT_EQ(c().status, 0);
  EXPECT_EQ(scripted::count_calls("Next"), 1);

  std::vector<std::string> all;
  EXPECT_EQ(c().query_disk_serials(all, true), 0);
  EXPECT_EQ(all, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(c().status, WBEM_S_FALSE);
  EXPECT_EQ(scripted::count_calls("Release(object)"), 4);
  EXPECT_EQ(scripted::count_calls("VariantClear"), 4);
  // A complete enumeration leaves status 1, which the end reports.
  EXPECT_EQ(end(), " - 0x1\n");
}

TEST_F(QueryTest, NoObjectLeavesTheListAndStatusOne) {
  std::vector<std::string> list{"x"};
  EXPECT_EQ(c().query_baseboard_serials(list), 0);
  EXPECT_EQ(list, std::vector<std::string>{"x"});
  EXPECT_EQ(c().status, WBEM_S_FALSE);
  EXPECT_EQ(end(), " - 0x1\n");
}

TEST_F(QueryTest, RefusedQueryAppendsItsPieceAndNothingToTheList) {
  QueryRun refused;
  refused.exec_result = WBEM_E_INVALID_CLASS;
  query(kDisks, refused);
  std::vector<uint32_t> list{7};
  EXPECT_EQ(c().query_disk_signatures(list, true), 1);
  EXPECT_EQ(list, std::vector<uint32_t>{7});
  EXPECT_EQ(c().status, WBEM_E_INVALID_CLASS);
  EXPECT_EQ(c().error_text, "\nQuery for Signature failed - ");
  EXPECT_EQ(scripted::count_calls("Next"), 0);
  EXPECT_EQ(end(), "\nQuery for Signature failed -  - 0x80041010\n");
}

TEST_F(QueryTest, NullEnumeratorIsAnEmptySuccess) {
  QueryRun run;
  run.exec_result = WBEM_S_NO_ERROR;
  run.null_enumerator = true;
  query("SELECT * FROM Win32_BaseBoard", run);
  std::vector<std::string> list;
  EXPECT_EQ(c().query_baseboard_serials(list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(c().status, 0);
  EXPECT_EQ(scripted::count_calls("Next"), 0);
}

TEST_F(QueryTest, NextFailureKeepsEarlierEntriesAndPrintsTheObjectCount) {
  QueryRun run = objects({{{"SerialNumber", Property::string(L"A")}},
                          {{"SerialNumber", Property::string(L"B")}}});
  run.steps.push_back(scripted::failure_step(E_FAIL));
  query(kDisks, run);
  std::vector<std::string> list;
  EXPECT_EQ(c().query_disk_serials(list, true), 1);
  EXPECT_EQ(list, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(c().status, E_FAIL);
  EXPECT_EQ(c().error_text, "\nFailed to enumerate SerialNumber. Return code: 0 result - ");
  EXPECT_EQ(calls().back(), "Release(enumerator)");
}

TEST_F(QueryTest, StringValueRules) {
  Property null_string = Property::string(L"");
  null_string.null_string = true;
  Property get_fails = Property::string(L"hidden");
  get_fails.get_result = WBEM_E_NOT_FOUND;
  std::vector<std::string> got =
      strings({Property::string(L"plain"), Property::of_type(VT_NULL), null_string,
               Property::string(L""), Property::i4(5), get_fails, Property::of_type(VT_EMPTY)});
  EXPECT_EQ(got, (std::vector<std::string>{"plain", "", "", "", "", "", ""}));
}

TEST_F(QueryTest, StringValuesOf149BytesFitAnd150DoNot) {
  std::vector<std::string> got = strings({Property::string(std::wstring(149, L'9')),
                                          Property::string(std::wstring(150, L'0')),
                                          Property::string(std::wstring(3000, L'0')),
                                          Property::string(L"caf\u20ac")});
  EXPECT_EQ(got, (std::vector<std::string>{std::string(149, '9'), "", "", ""}));
}

TEST_F(QueryTest, MultibyteStringValuesComeBackWhole) {
  LocaleScope utf8("C.UTF-8");
  std::vector<std::string> got = strings({Property::string(L"\u00e9t\u00e9 \u65e5\u672c")});
  EXPECT_EQ(got, std::vector<std::string>{"\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac"});
}

TEST_F(QueryTest, UnsignedValueRules) {
  Property null_string = Property::string(L"12");
  std::vector<uint32_t> got =
      numbers({Property::i4(0x12345678), Property::i4(-1), Property::i4(INT32_MIN),
               Property::of_type(VT_UI4, 42), Property::of_type(VT_I2, 9),
               Property::of_type(VT_NULL), null_string, Property::of_type(VT_EMPTY)});
  EXPECT_EQ(got, (std::vector<uint32_t>{0x12345678u, 0xFFFFFFFFu, 0x80000000u, 42, 0, 0, 0, 0}));
}

TEST_F(QueryTest, FixedQueriesSendTheirTextsAndPropertyNames) {
  struct Case {
    std::function<int(WmiConnection &)> run;
    std::string exec;
    std::string get;
  };
  std::vector<std::string> s;
  std::vector<uint32_t> u;
  std::vector<Case> cases = {
      {[&](WmiConnection &c) { return c.query_processor_ids(s, true); },
       "SELECT * FROM Win32_Processor", "Get(ProcessorId"},
      {[&](WmiConnection &c) { return c.query_product_uuids(s); },
       "SELECT * FROM Win32_ComputerSystemProduct", "Get(uuid"},
      {[&](WmiConnection &c) { return c.query_disk_serials(s, true); }, kDisks,
       "Get(SerialNumber"},
      {[&](WmiConnection &c) { return c.query_disk_signatures(u, true); }, kDisks,
       "Get(Signature"},
      {[&](WmiConnection &c) { return c.query_baseboard_serials(s); },
       "SELECT * FROM Win32_BaseBoard", "Get(SerialNumber"},
  };
  for (const auto &k : cases) {
    scripted::script().queries.clear();
    query(k.exec, objects({{{"x", Property::i4(1)}}, {{"x", Property::i4(2)}}}));
    calls().clear();
    EXPECT_EQ(k.run(c()), 0);
    EXPECT_EQ(calls().at(0), "ExecQuery(WQL|" + k.exec + "|48|null)");
    EXPECT_EQ(calls().at(2).rfind(k.get + ",", 0), 0u) << calls().at(2);
  }
  // The product and baseboard queries stop at the first object.
  EXPECT_EQ(s.size(), 2u + 1u + 2u + 1u);
}

}  // namespace
