// Insert substitution in message texts, with the syntax of the message
// formatter that the product's message libraries were written for: %1 to %99
// name inserts, %1!fmt! gives a printf form, and %0 %n %r %t %% %. %! and
// "% " are the escapes. Portable: no OS service is needed.
#ifndef DEVAVU_FORMATS_MESSAGE_FORMAT_H_
#define DEVAVU_FORMATS_MESSAGE_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace libdevavu::formats {

struct FormatOutcome {
  size_t length;   // characters written, the terminating zero not counted
  bool truncated;  // the text did not fit and was cut at the limit
  bool valid;      // false: the text ends in a lone %, or names a form that
                   // is not supported (floating point, wide, 64-bit); such a
                   // form formats as empty
};

// Writes the text with its inserts substituted into out, at most size bytes
// with the terminating zero, so at most size - 1 characters; nothing at all
// when size is 0. An insert is a string pointer (forms s, the default) or a
// number whose low 32 bits count (d i u x X o c; h and hh narrow further).
// An insert that the text names beyond insert_count formats as empty and is
// never read; a null string prints "(null)". A * width or precision takes
// the insert at the form's own number, and the value moves on by one.
FormatOutcome FormatMessageInserts(std::string_view text, const uintptr_t* inserts,
                                   size_t insert_count, char* out, size_t size);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_MESSAGE_FORMAT_H_
