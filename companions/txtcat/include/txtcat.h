/*
 * txtcat.h: the message-text library of the Quorix product. Reads the raw
 * text of a message by its 32-bit identifier from a message library's
 * catalogue. Compiles as C99 and C++.
 */
#ifndef TXTCAT_H
#define TXTCAT_H

#include <stdint.h>

#include "devavu_compiler.h"

#if defined(TXTCAT_BUILDING)
#  define TXTCAT_API DVU_EXPORT
#else
#  define TXTCAT_API DVU_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results of GetMsgText. */
#define TXT_FOUND 1          /* the text is in the buffer */
#define TXT_NO_MESSAGE 5     /* the message library has no such message */
#define TXT_NO_LIBRARY 2     /* the message library cannot be opened */
#define TXT_BAD_ARGUMENT 87  /* a null name or buffer, or size 0 */

/* Fills text (size bytes) with the zero-terminated raw text of message id of
 * the message library ("qrxmsg.dll"), cut to size - 1 characters, in the
 * language of LC_ALL, LC_MESSAGES or LANG. */
TXTCAT_API int32_t GetMsgText(const char *library, uint32_t id, uint32_t size, char *text);

#ifdef __cplusplus
}
#endif

#endif /* TXTCAT_H */
