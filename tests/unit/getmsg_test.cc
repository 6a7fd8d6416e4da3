// getmsg and va_getmsg over the fakes of the message sources: the choice of
// component, the substitutes, the fallback text and the marker byte.
#include <cstdlib>
#include <string>

#include "frame/heap.h"
#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages_test.h"

namespace {

using GetmsgTest = MessagesTest;

DvWord Str(const char* s) { return reinterpret_cast<DvWord>(s); }

TEST_F(GetmsgTest, FormatsTheMessageOfAComponentWithItsInserts) {
  Start();
  char* text = getmsg(5, 0xCFFF0160, 2, Str("126"), Str("VIRARUDI"));
  EXPECT_STREQ(text, "Trace library VIRARUDI not loaded (code 126).")
      << "the line break that ends every source text is dropped";
  EXPECT_EQ(Marker(text), 1);
  Release(text);
}

TEST_F(GetmsgTest, ComponentIdTwentyAndUpGetsTheSubstitute) {
  Start();
  for (uint32_t comp : {20u, 21u, 0xFFFFu}) {
    char* text = getmsg(comp, 0xCFFF0160, 0);
    EXPECT_EQ(std::string(text), "Internal error: invalid component id " +
                                     std::to_string(comp) + ".");
    EXPECT_EQ(Marker(text), 1) << "a substitute is a pool buffer like any text";
    Release(text);
  }
}

TEST_F(GetmsgTest, EmptySlotGetsTheSubstituteWithItsTrailingBlank) {
  Start();
  char* text = getmsg(1, 0xCFFF0160, 0);
  EXPECT_STREQ(text, "Internal error: component 1 not loaded .");
  Release(text);
}

TEST_F(GetmsgTest, OnlyTheLow16BitsOfComponentAndCountCount) {
  Start();
  fakes::AddProductMessage("qrxmsg.dll", 301, "[%1][%2][%3]\n");
  char* text = getmsg(0x10003, 0xCFFF012D, 0x10002, Str("a"), Str("b"), Str("c"));
  EXPECT_STREQ(text, "[a][b][]") << "component 3, two inserts";
  Release(text);
  text = getmsg(0x10014, 0xCFFF012D, 0);
  EXPECT_STREQ(text, "Internal error: invalid component id 20.");
  Release(text);
}

TEST_F(GetmsgTest, NineOfTwelveInsertsReachTheText) {
  Start();
  fakes::AddProductMessage("qrxmsg.dll", 302, "%1%2%3%4%5%6%7%8%9|%10|%11|%12|\n");
  char* text = getmsg(3, 0xCFFF012E, 12, Str("1"), Str("2"), Str("3"), Str("4"), Str("5"),
                      Str("6"), Str("7"), Str("8"), Str("9"), Str("10"), Str("11"), Str("12"));
  EXPECT_STREQ(text, "123456789||||");
  Release(text);
  auto& component = *libdevavu::messages::Tables().msg_components[3];
  EXPECT_EQ(component.insert_count, 9);
}

TEST_F(GetmsgTest, NoInsertsFormatsTheTextAlone) {
  Start();
  fakes::AddProductMessage("qrxmsg.dll", 303, "plain %1 text\n");
  const DvWord stale[1] = {Str("stale")};
  char* text = va_getmsg(3, 0xCFFF012F, 0, stale);
  EXPECT_STREQ(text, "plain  text");
  Release(text);
}

TEST_F(GetmsgTest, InsertsOfAnEarlierRequestAreNotSeenByALaterOne) {
  Start();
  fakes::AddProductMessage("qrxmsg.dll", 303, "%1|%2\n");
  Release(getmsg(3, 0xCFFF012F, 2, Str("one"), Str("two")));
  char* text = getmsg(3, 0xCFFF012F, 1, Str("three"));
  EXPECT_STREQ(text, "three|");
  Release(text);
}

TEST_F(GetmsgTest, MissingMessageGivesTheNotFoundMessageWithSignedNumberAndLibrary) {
  Start();
  char* text = getmsg(3, 0xCFFF0161 + 100, 0);
  EXPECT_STREQ(text, "Message -805371451 is not in qrxmsg.dll.");
  Release(text);
  text = getmsg(3, 0xCFFF0160 + 0x1000, 0);
  EXPECT_STREQ(text, "Message -805367456 is not in qrxmsg.dll.");
  Release(text);
}

TEST_F(GetmsgTest, MissingMessageOfComponentSixIsAnsweredOnItsOwnDescriptor) {
  Start();
  char* text = getmsg(6, 0xCFFF0200, 0);
  EXPECT_STREQ(text, "Message -805371392 is not in qrxmsg.dll.");
  EXPECT_EQ(Marker(text), 1);
  Release(text);
}

TEST_F(GetmsgTest, ReadFailureGivesTheFallbackAndFreesTheBuffer) {
  Start();
  for (int32_t result : {0, 2}) {
    {
      std::lock_guard<std::mutex> hold(fakes::Lock());
      fakes::Messages().msg_text_result = result;
    }
    char* text = getmsg(5, 0xCFFF0160, 0);
    EXPECT_STREQ(text, kFallback);
    EXPECT_EQ(Marker(text), 2);
  }
  {
    std::lock_guard<std::mutex> hold(fakes::Lock());
    fakes::Messages().msg_text_result.reset();
  }
  char* text = getmsg(5, 0xCFFF0160, 0);
  EXPECT_NE(std::string(text), kFallback);
  EXPECT_EQ(libdevavu::messages::Tables().msg_pool_head[5]->next, nullptr)
      << "the failed requests gave their buffer back";
  Release(text);
}

TEST_F(GetmsgTest, SubstituteThatCannotBeHadGivesTheFallback) {
  Start();
  {
    std::lock_guard<std::mutex> hold(fakes::Lock());
    fakes::Messages().texts.erase({"qrxmsg.dll", 0xCFFF0002u});
    fakes::Messages().texts.erase({"qrxmsg.dll", 0xCFFF03E6u});
  }
  EXPECT_STREQ(getmsg(25, 1, 0), kFallback);
  EXPECT_STREQ(getmsg(3, 0xCFFF0999, 0), kFallback);
  EXPECT_EQ(libdevavu::messages::Tables().msg_pool_head[6]->next, nullptr);
  EXPECT_EQ(libdevavu::messages::Tables().msg_pool_head[6]->buffer[0], 0)
      << "no buffer stays in use for a request that failed";
}

TEST_F(GetmsgTest, AfterTermEveryRequestGetsTheFallback) {
  Start();
  devavu_term();
  char* text = getmsg(5, 0xCFFF0160, 0);
  EXPECT_STREQ(text, kFallback);
  EXPECT_EQ(Marker(text), 2);
}

TEST_F(GetmsgTest, BeforeInitEveryRequestGetsTheFallback) {
  EXPECT_STREQ(getmsg(5, 0xCFFF0160, 0), kFallback);
}

TEST_F(GetmsgTest, MissingMessageLibraryShowsQrx0999AndGivesTheFallbackForGood) {
  {
    std::lock_guard<std::mutex> hold(fakes::Lock());
    fakes::Messages().missing_libraries.insert("qrxtrc.dll");
  }
  Start();
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].first, "Quorix");
  EXPECT_EQ(boxes[0].second, "QRX0999E");
  EXPECT_STREQ(getmsg(5, 0xCFFF0160, 0), kFallback);

  {
    std::lock_guard<std::mutex> hold(fakes::Lock());
    fakes::Messages().missing_libraries.clear();
  }
  devavu_term();
  Start();
  EXPECT_STREQ(getmsg(5, 0xCFFF0160, 0), kFallback) << "the flag is never set back";
}

TEST_F(GetmsgTest, FallbackTextIsRestoredAfterACallerWroteOverIt) {
  Start();
  devavu_term();
  char* text = getmsg(5, 0xCFFF0160, 0);
  text[-1] = 0;
  text[0] = 'X';
  text = getmsg(5, 0xCFFF0160, 0);
  EXPECT_EQ(Marker(text), 2);
  EXPECT_STREQ(text, kFallback);
}

TEST_F(GetmsgTest, PoolBuffersAreReusedOnceTheMarkerIsCleared) {
  Start();
  char* first = getmsg(5, 0xCFFF0160, 0);
  char* second = getmsg(5, 0xCFFF0160, 0);
  EXPECT_NE(first, second) << "a held text is not handed out again";
  Release(first);
  char* third = getmsg(5, 0xCFFF0160, 0);
  EXPECT_EQ(third, first);
  Release(second);
  Release(third);
}

TEST_F(GetmsgTest, CallerThatNeverReleasesGrowsThePoolByOneEach) {
  Start();
  for (int i = 0; i < 5; ++i) getmsg(8, 0xCFFF0002, 0);
  int nodes = 0;
  for (auto* n = libdevavu::messages::Tables().msg_pool_head[8]; n != nullptr; n = n->next) ++nodes;
  EXPECT_EQ(nodes, 5);
  EXPECT_EQ(libdevavu::messages::Tables().msg_pool_tail[8]->next, nullptr);
}

TEST_F(GetmsgTest, TextThatWouldPass254CharactersIsCutAndTerminated) {
  Start();
  fakes::AddProductMessage("qrxmsg.dll", 304, std::string(200, 'a') + "%1\n");
  const std::string insert(100, 'b');
  char* text = getmsg(3, 0xCFFF0130, 1, Str(insert.c_str()));
  EXPECT_EQ(std::string(text), std::string(200, 'a') + std::string(54, 'b'));
  EXPECT_EQ(text[254], '\0');
  EXPECT_EQ(text[255], '\0') << "the last byte of the area is never written";
  Release(text);
}

TEST_F(GetmsgTest, OutOfMemoryForABufferGivesTheFallback) {
  Start();
  auto& heap = libdevavu::frame::Heap();
  heap.alloc = [](size_t) -> void* { return nullptr; };
  char* text = getmsg(5, 0xCFFF0160, 0);
  heap.alloc = &std::malloc;
  EXPECT_STREQ(text, kFallback);
  EXPECT_EQ(libdevavu::messages::Tables().msg_pool_head[5], nullptr);
}

TEST_F(GetmsgTest, OutOfMemoryDuringSetUpFailsTheStart) {
  static int allocations;
  static int fail_at;
  libdevavu::frame::Heap().alloc = [](size_t size) -> void* {
    return ++allocations == fail_at ? nullptr : std::malloc(size);
  };
  allocations = 0;
  fail_at = 0;
  ASSERT_EQ(devavu_init(), 0);
  const int total = allocations;
  devavu_term();
  // The last ten are the five descriptors and their caches.
  for (fail_at = total - 9; fail_at <= total; ++fail_at) {
    allocations = 0;
    EXPECT_EQ(devavu_init(), -1) << "allocation " << fail_at << " of " << total;
    EXPECT_STREQ(getmsg(5, 0xCFFF0160, 0), kFallback);
    devavu_term();
  }
  libdevavu::frame::Heap().alloc = &std::malloc;
}

}  // namespace
