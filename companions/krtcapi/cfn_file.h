// Reads a configuration file (.cfn, INI form) into its entries, in the
// file's order. The rules are those told in krtcapi.h.
#ifndef KRTCAPI_CFN_FILE_H_
#define KRTCAPI_CFN_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace krtcapi {

struct CfnEntry {
  std::string section;  // without brackets
  std::string name;
  std::string value;
};

struct CfnFile {
  std::vector<CfnEntry> entries;
  size_t error_line = 0;  // 0: valid; else the first bad line, from 1
  std::string error;
};

CfnFile ParseCfnFile(std::string_view text);

}  // namespace krtcapi

#endif  // KRTCAPI_CFN_FILE_H_
