// The files through which the trace flags of running processes are changed:
// one small control file per process in a folder of the user's, which the
// trace library reads a few times a second and `qrx trace set` writes. Who
// may change a process's flags is who may write its file.
#ifndef DEVAVU_PLATFORM_TRACE_CONTROL_H_
#define DEVAVU_PLATFORM_TRACE_CONTROL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace libdevavu::platform {

// The folders that hold control files: given (QRXTRACERUN), or
// <temporary folder>/qrxtrace-<user> when given is null or empty.
std::string ControlFolder(const char* given);
// The default folders of every user, for finding processes of others.
std::vector<std::string> DefaultControlFolders();

// Makes folder, private to the user, when it is missing. An existing one
// must be a folder and no link; the user's own default folder must also
// belong to the user. False with the reason in *error.
bool PrepareControlFolder(const std::string& folder, std::string* error);

// Creates (or empties) the control file of this process in folder, with the
// read and write permissions the folder gives its group and others. Returns
// its path; empty with the reason in *error.
std::string CreateControlFile(const std::string& folder, std::string* error);

// Reads at most max bytes of a control file; false when it cannot be read.
bool ReadControlFile(const std::string& path, size_t max, std::string* text);
// Replaces the text of an existing control file in one write; false with
// the reason in *error (no permission, no such process).
bool WriteControlFile(const std::string& path, const std::string& text, std::string* error);

// The control files in folder, as (process id, path).
struct ControlFile {
  uint32_t process_id;
  std::string path;
};
std::vector<ControlFile> ListControlFiles(const std::string& folder);
// True when name is a control file's: a process id in decimal, not 0.
bool IsProcessId(const char* name, uint32_t* id);

void RemoveFile(const std::string& path);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_TRACE_CONTROL_H_
