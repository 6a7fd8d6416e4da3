// The fixture of the message catalogue's tests: a started library whose
// message sources are the fakes, holding a few texts of both libraries.
#ifndef DEVAVU_TESTS_UNIT_MESSAGES_TEST_H_
#define DEVAVU_TESTS_UNIT_MESSAGES_TEST_H_

#include <string>

#include "fakes/fake_messages.h"
#include "library_test.h"

class MessagesTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    fakes::ResetMessages();
    fakes::AddProductMessage("qrxmsg.dll", 2, "Internal error: %1.\n");
    fakes::AddProductMessage("qrxmsg.dll", 998, "Message %1 is not in %2.\n");
    fakes::AddProductMessage("qrxmsg.dll", 352, "Trace library %2 not loaded (code %1).\n");
    fakes::AddProductMessage("qrxmsg.dll", 353, "Entry point %2 not found (code %1).\n");
    fakes::AddProductMessage("qrxtrc.dll", 51, "%1(%2)\n");
    fakes::AddProductMessage("qrxtrc.dll", 260, "last\n");
  }

  void TearDown() override {
    LibraryTest::TearDown();
    fakes::ResetMessages();
  }

  static std::vector<std::pair<std::string, std::string>> Boxes() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    return fakes::Messages().boxes;
  }

  static constexpr char kFallback[] =
      "ERROR 100: 2nd level message retrieval failure: Check message files.";
};

#endif  // DEVAVU_TESTS_UNIT_MESSAGES_TEST_H_
