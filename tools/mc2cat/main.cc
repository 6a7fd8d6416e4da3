// mc2cat INPUT.mc OUTDIR LANG...: writes OUTDIR/<lang>/<name>.msg, a gencat
// source for each language asked for, from one Message Compiler file. A
// fault ends it with "INPUT.mc:LINE: what is wrong" and exit code 1.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "gencat_source.h"
#include "mc_file.h"

namespace {

int Fault(const std::string& file, int line, const std::string& what) {
  std::cerr << file;
  if (line > 0) std::cerr << ':' << line;
  std::cerr << ": error: " << what << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: mc2cat INPUT.mc OUTDIR LANG...\n";
    return 2;
  }
  const std::filesystem::path input = argv[1];
  const std::filesystem::path out_dir = argv[2];
  std::ifstream in(input, std::ios::binary);
  if (!in) return Fault(input.string(), 0, "cannot be read");
  std::stringstream content;
  content << in.rdbuf();

  mc2cat::McFile file;
  mc2cat::McError error;
  if (!mc2cat::ParseMcFile(content.str(), &file, &error)) {
    return Fault(input.string(), error.line, error.what);
  }
  for (int a = 3; a < argc; ++a) {
    const std::string code = argv[a];
    size_t language = 0;
    while (language < file.languages.size() && file.languages[language].code != code) ++language;
    if (language == file.languages.size()) {
      return Fault(input.string(), 0, "no messages in language '" + code + "'");
    }
    std::string source;
    if (!mc2cat::WriteGencatSource(file, language, input.filename().string(), &source, &error)) {
      return Fault(input.string(), error.line, error.what);
    }
    const std::filesystem::path dir = out_dir / code;
    std::filesystem::create_directories(dir);
    const std::filesystem::path target = dir / (input.stem().string() + ".msg");
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << source;
    if (!out.flush()) return Fault(target.string(), 0, "cannot be written");
  }
  return 0;
}
