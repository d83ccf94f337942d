// The query engine against a scripted management service: the status of
// each failing step, the rendering of every value type, embedded objects,
// and the enumeration's end conditions. Then the host-file service itself.
#include <gtest/gtest.h>

#include <cpprest/asyncrt_utils.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/management_query.h"
#include "provider/identity/prop_value.h"
#include "tests/support/host_root.h"
#include "tests/support/scoped_test_log.h"

namespace {

using Names = std::vector<std::string>;
using Path = std::vector<utility::string_t>;

struct FakeObjectData;

struct FakeValue {
  uint16_t type = platform::kVtEmpty;
  int64_t integer = 0;
  double real = 0;
  bool boolean = false;
  std::string text;
  std::vector<uint8_t> bytes;
  std::shared_ptr<FakeObjectData> object;
  HRESULT get_result = S_OK;
};

struct FakeObjectData {
  std::map<std::string, FakeValue> properties;
  std::string text = "instance of Fake";
};

class FakeObject : public platform::ManagementObject {
 public:
  explicit FakeObject(std::shared_ptr<FakeObjectData> data) : data_(std::move(data)) {}
  HRESULT Get(const std::string& name, platform::ManagementValue* value) override {
    *value = platform::ManagementValue{};
    const auto found = data_->properties.find(name);
    if (found == data_->properties.end()) return platform::kWbemNotFound;
    const FakeValue& v = found->second;
    value->type = v.type;
    value->integer = v.integer;
    value->real = v.real;
    value->boolean = v.boolean;
    value->text = v.text;
    value->bytes = v.bytes;
    if (v.object) value->object = std::make_unique<FakeObject>(v.object);
    return v.get_result;
  }
  std::string ObjectText() override { return data_->text; }

 private:
  std::shared_ptr<FakeObjectData> data_;
};

struct Step {
  HRESULT result;
  std::shared_ptr<FakeObjectData> object;
};

// Scripted answers of every step, and what the engine asked for.
class FakeManagement : public platform::Management {
 public:
  HRESULT locator_result = S_OK, connect_result = S_OK, proxy_result = S_OK, query_result = S_OK;
  std::vector<Step> steps;
  std::string name_space, query;
  size_t next_calls = 0;

  HRESULT CreateLocator(std::unique_ptr<platform::ManagementLocator>* locator) override {
    if (SUCCEEDED(locator_result)) *locator = std::make_unique<Locator>(this);
    return locator_result;
  }

 private:
  struct Enumerator : platform::ManagementEnumerator {
    explicit Enumerator(FakeManagement* fake) : owner(fake) {}
    HRESULT Next(std::unique_ptr<platform::ManagementObject>* object) override {
      const size_t i = owner->next_calls++;
      if (i >= owner->steps.size()) return platform::kWbemFalse;
      if (owner->steps[i].object) *object = std::make_unique<FakeObject>(owner->steps[i].object);
      return owner->steps[i].result;
    }
    FakeManagement* owner;
  };
  struct Services : platform::ManagementServices {
    explicit Services(FakeManagement* fake) : owner(fake) {}
    HRESULT SetProxySecurity() override { return owner->proxy_result; }
    HRESULT ExecQuery(const std::string& wql,
                      std::unique_ptr<platform::ManagementEnumerator>* enumerator) override {
      owner->query = wql;
      if (SUCCEEDED(owner->query_result)) *enumerator = std::make_unique<Enumerator>(owner);
      return owner->query_result;
    }
    FakeManagement* owner;
  };
  struct Locator : platform::ManagementLocator {
    explicit Locator(FakeManagement* fake) : owner(fake) {}
    HRESULT ConnectServer(const std::string& path,
                          std::unique_ptr<platform::ManagementServices>* services) override {
      owner->name_space = path;
      if (SUCCEEDED(owner->connect_result)) *services = std::make_unique<Services>(owner);
      return owner->connect_result;
    }
    FakeManagement* owner;
  };
};

std::shared_ptr<FakeObjectData> Instance(const std::string& name, FakeValue value) {
  auto data = std::make_shared<FakeObjectData>();
  data->properties[name] = std::move(value);
  return data;
}

FakeValue Integer(uint16_t type, int64_t integer) {
  FakeValue v;
  v.type = type;
  v.integer = integer;
  return v;
}

class PropValueTest : public testing::Test {
 protected:
  PropValueTest() { platform::SetManagement(&fake_); }
  ~PropValueTest() override { platform::SetManagement(nullptr); }

  int Query(const Path& path = {_XPLATSTR("P")}) {
    return GetPropValue(_XPLATSTR("root\\WMI"), _XPLATSTR("select * from C"), path, values_);
  }
  void Add(FakeValue value, HRESULT result = platform::kWbemNoError) {
    fake_.steps.push_back({result, Instance("P", std::move(value))});
  }
  size_t Logged(const std::string& text) const { return log_.LinesContaining(text).size(); }

  FakeManagement fake_;
  ScopedTestLog log_{LOG_DEBUG};
  Names values_ = {"stale"};
};

TEST_F(PropValueTest, EachFailingStepHasItsStatusAndLine) {
  fake_.locator_result = static_cast<HRESULT>(0x80040154);
  EXPECT_EQ(1, Query());
  EXPECT_EQ(1u, Logged("WMI Initialization failed for CoCreateInstance: 80040154"));
  fake_.locator_result = S_OK;
  fake_.connect_result = static_cast<HRESULT>(0x80070005);
  EXPECT_EQ(3, Query());
  EXPECT_EQ(1u, Logged("WMI Connection failed. Result: 80070005"));
  fake_.connect_result = S_OK;
  fake_.proxy_result = E_ACCESSDENIED;
  EXPECT_EQ(3, Query());
  EXPECT_EQ(1u, Logged("WMI Connection failed for CoSetProxyBlanket: 80070005"));
  fake_.proxy_result = S_OK;
  fake_.query_result = platform::kWbemInvalidClass;
  const size_t lines = log_.Lines().size();
  EXPECT_EQ(4, Query());
  EXPECT_EQ(lines + 4, log_.Lines().size());  // entering, 2 successes, proxy; no failure line
  EXPECT_TRUE(values_.empty());
}

TEST_F(PropValueTest, QueryWithoutInstancesIsNotFound) {
  EXPECT_EQ(5, Query());
  EXPECT_TRUE(values_.empty());
  EXPECT_EQ(1u, Logged("WMI property not found"));
  EXPECT_EQ("root\\WMI", fake_.name_space);
  EXPECT_EQ("select * from C", fake_.query);
}

TEST_F(PropValueTest, ValuesAreRenderedByType) {
  Add(Integer(platform::kVtI4, -42));
  Add(Integer(platform::kVtUi8, INT64_MIN));
  Add(Integer(platform::kVtUi1, 200));
  FakeValue real;
  real.type = platform::kVtR8;
  real.real = 3.14159265;
  Add(real);
  real.type = platform::kVtR4;
  real.real = 1e20;
  Add(real);
  FakeValue flag;
  flag.type = platform::kVtBool;
  flag.boolean = true;
  Add(flag);
  flag.boolean = false;
  Add(flag);
  FakeValue text;
  text.type = platform::kVtBstr;
  text.text = "iqn.a:b";
  Add(text);
  FakeValue bytes;
  bytes.type = platform::kVtUi1 | platform::kVtArray;
  bytes.bytes = {0x0A, 0xFF, 0x00};
  Add(bytes);
  bytes.bytes.clear();
  Add(bytes);
  EXPECT_EQ(0, Query());
  EXPECT_EQ((Names{"-42", "-9223372036854775808", "200", "3.14159", "1e+20", "TRUE", "FALSE",
                   "iqn.a:b", "0AFF00", ""}),
            values_);
  EXPECT_EQ(2u, Logged("VARIANT Type, 8209, HR=00000000"));
  EXPECT_EQ(1u, Logged("Obtained WMI Property value: 0AFF00"));
}

TEST_F(PropValueTest, MissingNullAndFailedValuesAreEmptyAndTheWalkGoesOn) {
  Add(Integer(platform::kVtNull, 0));
  fake_.steps.push_back({platform::kWbemNoError, Instance("Other", FakeValue{})});
  FakeValue failed = Integer(platform::kVtEmpty, 0);
  failed.get_result = E_FAIL;
  Add(failed);
  Add(Integer(platform::kVtI2, 7));
  EXPECT_EQ(0, Query());
  EXPECT_EQ((Names{"EMPTY", "EMPTY", "EMPTY", "7"}), values_);
  EXPECT_EQ(1u, Logged("VARIANT Type, 0, HR=80041002"));
}

TEST_F(PropValueTest, TypesWithoutRenderingGiveNoEntry) {
  FakeValue strings;
  strings.type = platform::kVtBstr | platform::kVtArray;
  Add(strings);
  Add(Integer(7 /* VT_DATE */, 0));
  EXPECT_EQ(5, Query());
}

TEST_F(PropValueTest, EmbeddedObjectsAreFollowedAlongThePath) {
  FakeValue wwn;
  wwn.type = platform::kVtUi1 | platform::kVtArray;
  wwn.bytes = {0x21, 0x00, 0x00, 0x24, 0xFF, 0x4C, 0x2A, 0x10};
  FakeValue inner;
  inner.type = platform::kVtUnknown;
  inner.object = Instance("PortWWN", wwn);
  FakeValue outer;
  outer.type = platform::kVtUnknown;
  outer.object = Instance("Attributes", inner);
  Add(outer);
  EXPECT_EQ(0, Query({_XPLATSTR("P"), _XPLATSTR("Attributes"), _XPLATSTR("PortWWN")}));
  EXPECT_EQ(Names{"21000024FF4C2A10"}, values_);
}

TEST_F(PropValueTest, PathEndingAtAnObjectLogsTheObject) {
  FakeValue embedded;
  embedded.type = platform::kVtUnknown;
  embedded.object = Instance("X", FakeValue{});
  embedded.object->text = "instance of Attributes {}";
  Add(embedded);
  FakeValue null_object;
  null_object.type = platform::kVtUnknown;
  Add(null_object);
  EXPECT_EQ(0, Query());
  EXPECT_EQ(Names{"EMPTY"}, values_);
  EXPECT_EQ(1u, Logged("Unknown IWbemClassObject found, instance of Attributes {}"));
}

TEST_F(PropValueTest, EnumerationStopsAtTheFirstAnswerThatIsNotPlainSuccess) {
  Add(Integer(platform::kVtI4, 1));
  Add(Integer(platform::kVtI4, 2), platform::kWbemFalse);  // taken, then the end
  Add(Integer(platform::kVtI4, 3));
  EXPECT_EQ(0, Query());
  EXPECT_EQ((Names{"1", "2"}), values_);

  fake_.steps = {{platform::kWbemNoError, Instance("P", Integer(platform::kVtI4, 1))},
                 {E_FAIL, Instance("P", Integer(platform::kVtI4, 2))},
                 {platform::kWbemNoError, Instance("P", Integer(platform::kVtI4, 3))}};
  fake_.next_calls = 0;
  EXPECT_EQ(0, Query());
  EXPECT_EQ(Names{"1"}, values_);
  EXPECT_EQ(2u, fake_.next_calls);
}

TEST(HostFileManagementTest, OnlyTheLocalNamespaceAndKnownClassesAnswer) {
  if (const char* reason = identity_test::HostRoot::NoHostFiles()) GTEST_SKIP() << reason;
  identity_test::HostRoot root;
  Names values;
  const auto query = [&values](const char* name_space, const char* wql) {
    return GetPropValue(utility::conversions::to_string_t(name_space),
                        utility::conversions::to_string_t(wql), {_XPLATSTR("iSCSINodeName")}, values);
  };
  EXPECT_EQ(3, query("\\\\hv01\\root\\WMI", "select * from MSiSCSIInitiator_MethodClass"));
  EXPECT_EQ(3, query("root\\CIMV2", "select * from MSiSCSIInitiator_MethodClass"));
  EXPECT_EQ(4, query("root\\WMI", "select * from Win32_DiskDrive"));
  EXPECT_EQ(4, query("root\\WMI", "select iSCSINodeName from MSiSCSIInitiator_MethodClass"));
  EXPECT_EQ(4, query("root\\WMI", "select * from"));
  root.Write("/etc/iscsi/initiatorname.iscsi", "InitiatorName=iqn.x:y\n");
  EXPECT_EQ(0, query("\\\\.\\ROOT\\wmi", "SELECT * FROM msiscsiinitiator_methodclass"));
  EXPECT_EQ(Names{"iqn.x:y"}, values);
}

}  // namespace
