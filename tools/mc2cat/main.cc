// mc2cat INPUT.mc OUTDIR LANG...: writes OUTDIR/<LANG>/<name>.msg, a gencat
// source for each language asked for, from one Message Compiler file. LANG
// is a locale (zh_TW), a bare language where the file has one of it (de), or
// a Windows language identifier (0x418). Languages not asked for do not
// matter. A fault ends it with "INPUT.mc:LINE: error: what is wrong" and exit
// code 1; what other message compilers read otherwise is a warning.
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

std::string Hex(uint16_t id) {
  std::ostringstream out;
  out << "0x" << std::hex << id;
  return out.str();
}

// The index of the language asked for, or the fault in *error.
bool FindLanguage(const mc2cat::McFile& file, const std::string& asked, size_t* index,
                  std::string* error) {
  const auto& languages = file.languages;
  std::vector<size_t> found;
  for (size_t i = 0; i < languages.size(); ++i) {
    const std::string& code = languages[i].code;
    if (code == asked || Hex(languages[i].id) == asked) {
      *index = i;
      return true;
    }
    if (asked.find('_') == std::string::npos && code.compare(0, code.find('_'), asked) == 0) {
      found.push_back(i);
    }
  }
  if (found.size() == 1) {
    *index = found[0];
    return true;
  }
  if (found.empty()) {
    *error = "no messages in language '" + asked + "'";
  } else {
    *error = "'" + asked + "' is more than one language here:";
    for (size_t i : found) *error += " " + languages[i].code + " (" + Hex(languages[i].id) + ")";
    *error += "; ask for one of them";
  }
  return false;
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
  for (const mc2cat::McError& warning : file.warnings) {
    std::cerr << input.string() << ':' << warning.line << ": warning: " << warning.what << '\n';
  }
  for (int a = 3; a < argc; ++a) {
    const std::string asked = argv[a];
    size_t language = 0;
    std::string fault;
    if (!FindLanguage(file, asked, &language, &fault)) return Fault(input.string(), 0, fault);
    std::string source;
    mc2cat::WriteGencatSource(file, language, input.filename().string(), &source);
    const std::filesystem::path dir = out_dir / asked;
    std::filesystem::create_directories(dir);
    const std::filesystem::path target = dir / (input.stem().string() + ".msg");
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << source;
    if (!out.flush()) return Fault(target.string(), 0, "cannot be written");
  }
  return 0;
}
