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
  bool valid;      // false: the text ends in a lone % (and then nothing is
                   // written, as the Windows formatter fails the call), or
                   // names a form that is not supported (floating point,
                   // wide, 64-bit), which formats as empty
};

// Writes the text with its inserts substituted into out, at most size bytes
// with the terminating zero, so at most size - 1 characters; nothing at all
// when size is 0. An insert is a string pointer (forms s, the default) or a
// number whose low 32 bits count (d i u x X o c; h and hh narrow further).
// An insert that the text names beyond insert_count formats as empty and is
// never read; a null string prints "(null)". The first * of a form takes
// the insert at the form's own number; the next * and then the value take
// the insert after the highest one read so far in the text (so a form used
// again moves on to fresh inserts). A line break in the text (CR LF, a bare
// CR or a bare LF) comes out as LF; %r is a bare CR.
FormatOutcome FormatMessageInserts(std::string_view text, const uintptr_t* inserts,
                                   size_t insert_count, char* out, size_t size);

// What a text reads each of its inserts as. A number given where the text
// reads a string would be taken for an address.
enum class InsertUse : uint8_t { kUnused, kString, kNumber };

// Fills uses[0] to uses[count - 1] for the inserts %1 to %count: kString
// when any form reads the insert as a string, else kNumber when a form (or
// a * width or precision) reads it as a number, else kUnused.
void FindInsertUses(std::string_view text, InsertUse* uses, size_t count);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_MESSAGE_FORMAT_H_
