// qrx config and ProcessCFNFileEntries against the real libraries and the
// sample files, as a user runs them.
#include <gtest/gtest.h>

#include <string>

#include "shell_test.h"

namespace {

constexpr char kSampleEntries[] =
    "trace library: VIRARUDI, entry point _LOGFACILITIESEP@8\n"
    "[CMMUSER]\n  PORT=4711\n  HOST=gateway.example\n"
    "[PROVIDER]\n  NAME=sample.provider\n"
    "[CMMUSERGW]\n  (no entries)\n"
    "[SERVICES]\n  TIMEOUT=30\n  ROUTER=router.dll\n";

class ConfigTest : public ShellTest {
 protected:
  Outcome QrxConfig(const std::string& settings) const {
    return RunTraced(settings, "'" QRX "' config");
  }
};

TEST_F(ConfigTest, BothStoresDeliverTheSampleConfiguration) {
  const Outcome api = QrxConfig("QRXCFNDIR=" EXAMPLES_DIR " QRXCONFIG=sample");
  ASSERT_EQ(api.exit_code, 0) << api.err;
  EXPECT_EQ(api.out, "store: configuration API, file " EXAMPLES_DIR
                     "/sample.cfn (QRXRUN is not TRUE)\n" + std::string(kSampleEntries));
  const Outcome registry = QrxConfig("QRXRUN=TRUE QRX_REGISTRY=" EXAMPLES_DIR "/registry.reg");
  ASSERT_EQ(registry.exit_code, 0) << registry.err;
  EXPECT_EQ(registry.out, "store: registry file " EXAMPLES_DIR
                          "/registry.reg (QRXRUN=TRUE)\n" + std::string(kSampleEntries));
}

TEST_F(ConfigTest, AFailedReadSaysWhatIsWrongAndWhere) {
  Write("bad.cfn", "[CMMUSER]\nPORT 4711\n");
  const Outcome bad = QrxConfig("QRXCFNDIR=. QRXCONFIG=bad");
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_EQ(bad.err.find("qrx config: ./bad.cfn line 2: no '='"), 0u) << bad.err;
  const Outcome absent = QrxConfig("QRXCFNDIR=. QRXCONFIG=absent");
  EXPECT_EQ(absent.exit_code, 1);
  EXPECT_EQ(absent.err.find("qrx config: ./absent.cfn: no such file"), 0u) << absent.err;
  EXPECT_NE(Trace().find("ORVESVC  ERROR QRX0004E msg=4 id=00122101 code=00010004"),
            std::string::npos)
      << "the failed open went to the trace library: " << Trace();
}

}  // namespace
