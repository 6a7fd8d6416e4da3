// Reads a registry export file (.reg) into a tree of HKEY_LOCAL_MACHINE.
// Portable: it works on the file's bytes only.
//
// Both headers ("Windows Registry Editor Version 5.00", "REGEDIT4"); UTF-16LE
// with a byte-order mark or 8-bit text; [key] and [-key] lines, whose path's
// last name may itself end in ']'; "name"= and @= value lines with string,
// dword:, hex:, hex(N): data and "name"=- deletions; ';' comment lines; a
// backslash at the end of a line continues hex data. Keys of the other root
// keys are passed over. String data of a version 5 file given as hex (types
// 1, 2 and 7) is UTF-16LE and is converted, as a narrow registry call on
// Windows returns it. A REGEDIT4 file is in Windows-1252 unless it starts
// with a UTF-8 byte-order mark; its names, strings and string data given as
// hex are converted to UTF-8. Strings get their terminator in the data.
#ifndef DEVAVU_FORMATS_REG_FILE_H_
#define DEVAVU_FORMATS_REG_FILE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "formats/reg_tree.h"

namespace libdevavu::formats {

struct RegFileError {
  size_t line = 0;  // 1-based
  std::string what;
};

struct RegFileContents {
  std::unique_ptr<RegNode> local_machine;  // null when the file is malformed
  RegFileError error;                      // the first fault, when it is
};

// Never a half-read tree: either the whole file or its first error.
RegFileContents ParseRegFile(std::string_view bytes);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_REG_FILE_H_
