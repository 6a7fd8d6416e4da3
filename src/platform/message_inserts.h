// Insert substitution in a raw message text, by the system's message
// formatter where it has one: %1 to %9 name the inserts, %1!d! gives a printf
// form, %n %r %t %% and the other escapes of the message sources.
#ifndef DEVAVU_PLATFORM_MESSAGE_INSERTS_H_
#define DEVAVU_PLATFORM_MESSAGE_INSERTS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace libdevavu::platform {

// Writes at most size bytes, the terminating zero included, into out; what a
// formatting that does not fit leaves there is the formatter's. Inserts are
// string pointers or numbers, pointer-sized; those beyond insert_count are
// never read.
void FormatInserts(std::string_view text, const uintptr_t* inserts, size_t insert_count,
                   char* out, size_t size);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MESSAGE_INSERTS_H_
