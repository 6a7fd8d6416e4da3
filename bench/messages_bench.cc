// The cost of a message text: getmsg for the preloaded trace component and
// for a qrxmsg component with two inserts, each beside catgets + snprintf of
// the same text from the same catalogue.
#include <benchmark/benchmark.h>
#include <nl_types.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "devavu.h"
#include "formats/catalogue_numbers.h"

namespace {

// The baselines' texts: message 51 of qrxtrc and message 352 of qrxmsg.
constexpr uint32_t kTraceText = 0xCFFF0033;
constexpr uint32_t kTwoInsertsText = 0xCFFF0160;

void StartLibrary() {
  static const bool started = [] {
    setenv("LC_ALL", "C", 1);
    unsetenv("NLSPATH");
    return devavu_init() == 0;
  }();
  if (!started) std::abort();
}

void Release(char* text) {
  if (text[-1] == 1) __atomic_store_n(text - 1, 0, __ATOMIC_RELEASE);
}

// Message 51 of qrxtrc, "%1(%2!p!)", asked by its index 1.
void BM_GetmsgTraceComponent(benchmark::State& state) {
  StartLibrary();
  int object = 0;
  for (auto _ : state) {
    char* text = getmsg(0, 1, 2, reinterpret_cast<DvWord>("QXTIMER"),
                        reinterpret_cast<DvWord>(&object));
    benchmark::DoNotOptimize(text);
    Release(text);
  }
}
BENCHMARK(BM_GetmsgTraceComponent);

// Message 352 of qrxmsg with its two inserts, component 5.
void BM_GetmsgTwoInserts(benchmark::State& state) {
  StartLibrary();
  for (auto _ : state) {
    char* text = getmsg(5, kTwoInsertsText, 2, reinterpret_cast<DvWord>("126"),
                        reinterpret_cast<DvWord>("VIRARUDI"));
    benchmark::DoNotOptimize(text);
    Release(text);
  }
}
BENCHMARK(BM_GetmsgTwoInserts);

// The baseline's catalogue, opened once as a program would.
nl_catd OpenCatalogue(const char* name) {
  const std::string path = std::string(LOCALE_DIR) + "/en/" + name + ".cat";
  const nl_catd catalogue = catopen(path.c_str(), 0);
  if (catalogue == reinterpret_cast<nl_catd>(-1)) std::abort();
  return catalogue;
}

// The raw text of a message identifier, where the library's catalogue
// reader finds it; a missing one would leave the baseline formatting nothing.
const char* CatalogueText(nl_catd catalogue, uint32_t id) {
  const libdevavu::formats::CatalogueNumbers at = libdevavu::formats::CatalogueNumbersOf(id);
  const char* text = catgets(catalogue, at.set, at.message, "");
  if (*text == '\0') std::abort();
  return text;
}

// The same text as a printf format: %n -> %n$s, %n!fmt! -> %n$fmt, without
// the final line break; made once, as a program with printf catalogues has it.
std::string PrintfForm(const char* raw) {
  std::string out;
  for (const char* p = raw; *p != '\0'; ++p) {
    if (*p == '\n' && p[1] == '\0') break;
    if (*p != '%' || p[1] < '1' || p[1] > '9') {
      out += *p;
      continue;
    }
    out += '%';
    out += *++p;
    out += '$';
    if (p[1] == '!') {
      for (p += 2; *p != '!'; ++p) out += *p;
    } else {
      out += 's';
    }
  }
  return out;
}

void BM_CatgetsSnprintfTraceText(benchmark::State& state) {
  const nl_catd catalogue = OpenCatalogue("qrxtrc");
  const std::string format = PrintfForm(CatalogueText(catalogue, kTraceText));
  int object = 0;
  char text[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(CatalogueText(catalogue, kTraceText));
    std::snprintf(text, sizeof text, format.c_str(), "QXTIMER", static_cast<void*>(&object));
    benchmark::DoNotOptimize(text);
  }
  catclose(catalogue);
}
BENCHMARK(BM_CatgetsSnprintfTraceText);

void BM_CatgetsSnprintfTwoInserts(benchmark::State& state) {
  const nl_catd catalogue = OpenCatalogue("qrxmsg");
  const std::string format = PrintfForm(CatalogueText(catalogue, kTwoInsertsText));
  char text[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(CatalogueText(catalogue, kTwoInsertsText));
    std::snprintf(text, sizeof text, format.c_str(), "126", "VIRARUDI");
    benchmark::DoNotOptimize(text);
  }
  catclose(catalogue);
}
BENCHMARK(BM_CatgetsSnprintfTwoInserts);

}  // namespace

BENCHMARK_MAIN();
