// The array set against two emulated arrays.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "library/rest/kova_array.h"
#include "library/rest/kova_library.h"
#include "tests/rest/array_sim_fixture.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

kova_sim::SimSeed OldArraySeed() {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.array_id = "0f0e0d0c-0b0a-0908-0706-050403020100";
  seed.versions = {"1.0"};
  return seed;
}

class KovaLibraryTest : public ArraySimTest {
 protected:
  void SetUp() override {
    ArraySimTest::SetUp();
    second_.Start();
  }
  void TearDown() override {
    second_.Stop();
    ArraySimTest::TearDown();
  }
  utility::string_t SecondUrl() const { return utility::conversions::to_string_t(second_.Url()); }
  std::vector<std::string> Lines(const TestArraySim& sim) const {
    std::vector<std::string> lines;
    for (const auto& request : sim.Requests()) lines.push_back(request.method + " " + request.target);
    return lines;
  }

  TestArraySim second_{kova_sim::SimSeed::Default()};
};

TEST_F(KovaLibraryTest, EmptySetHasNoArraysAndResetSendsNothing) {
  KovaLibrary arrays;
  std::vector<KovaArray*> list{nullptr};
  arrays.GetArrayList(list);
  EXPECT_TRUE(list.empty());
  arrays.Reset();
  EXPECT_TRUE(RequestLines().empty());
  EXPECT_EQ(1u, log_.LinesContaining("ENTERING : KovaLibrary::Reset()").size());
  EXPECT_EQ(1u, log_.LinesContaining("EXITING : KovaLibrary::Reset()").size());
}

TEST_F(KovaLibraryTest, ArraysThatFailToInitialiseLeaveNullAndTheOthersStayInOrder) {
  TestArraySim old_array(OldArraySeed());
  old_array.Start();
  KovaLibrary arrays;
  KovaArray* first = arrays.CreateKovaArrayObject(U("first"), Url(), Token(), U("1.1"));
  EXPECT_EQ(nullptr, arrays.CreateKovaArrayObject(U("old"), utility::conversions::to_string_t(old_array.Url()),
                                                  Token(), U("1.1")));
  EXPECT_EQ(nullptr, arrays.CreateKovaArrayObject(U("unreachable"), U("https://127.0.0.1:1"), Token(), U("1.1")));
  EXPECT_EQ(nullptr, arrays.CreateKovaArrayObject(U("no-token"), SecondUrl(), U(""), U("1.1")));
  KovaArray* second = arrays.CreateKovaArrayObject(U("second"), SecondUrl(), Token(), U("1.1"));
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);

  std::vector<KovaArray*> list;
  arrays.GetArrayList(list);
  EXPECT_THAT(list, ElementsAre(first, second));
  EXPECT_EQ(U("second"), list[1]->Name());
  EXPECT_THAT(log_.Contents(),
              HasSubstr("EXITING : KovaLibrary::CreateKovaArrayObject(). Error Initializing Array "
                        "Object for old. Exception: KovaArray Initialize: Array's REST Version is "
                        "incompatible"));
  EXPECT_THAT(log_.Contents(), HasSubstr("Object for unreachable. Exception: Failed to send request"));
  EXPECT_THAT(Lines(old_array), ElementsAre("GET /api/api_version"));
  old_array.Stop();
}

TEST_F(KovaLibraryTest, ResetDestroysEveryArrayInOrderAndTheSetCanBeRefilled) {
  {
    KovaLibrary arrays;
    ASSERT_NE(nullptr, arrays.CreateKovaArrayObject(U("array1"), Url(), Token(), U("1.1")));
    ASSERT_NE(nullptr, arrays.CreateKovaArrayObject(U("array2"), SecondUrl(), Token(), U("1.1")));
    sim_.ClearRequests();
    second_.ClearRequests();
    arrays.Reset();
    EXPECT_THAT(RequestLines(), ElementsAre("DELETE /api/1.1/auth/session"));
    EXPECT_THAT(Lines(second_), ElementsAre("DELETE /api/1.1/auth/session"));
    const std::string text = log_.Contents();
    EXPECT_LT(text.find("KovaArray::~KovaArray() for array1"), text.find("KovaArray::~KovaArray() for array2"));

    std::vector<KovaArray*> list;
    arrays.GetArrayList(list);
    EXPECT_TRUE(list.empty());
    ASSERT_NE(nullptr, arrays.CreateKovaArrayObject(U("array2"), SecondUrl(), Token(), U("1.1")));
    arrays.GetArrayList(list);
    ASSERT_EQ(1u, list.size());
    second_.ClearRequests();
  }
  // The set's destruction closes the refilled array's session too.
  EXPECT_THAT(Lines(second_), ElementsAre("DELETE /api/1.1/auth/session"));
}

}  // namespace
