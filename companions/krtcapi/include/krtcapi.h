/*
 * krtcapi.h: the configuration API of the Quorix product.
 *
 * A component opens a configuration by name, asks for its entries and closes
 * it again, each time with one request block handed to KrtcRequest. On
 * Windows the function is the library's export with ordinal 2; on Linux it is
 * exported under the plain name KrtcRequest. Compiles as C99 and C++.
 *
 * Configurations are files <QRXCFNDIR>/<name>.cfn (QRXCFNDIR unset or empty:
 * the current directory) in INI form, read when the configuration is opened:
 *
 *   ; a comment line (also # ...)
 *   [CMMUSER]
 *   name=value
 *
 * Blanks around section names, entry names and values are dropped; a ';' or
 * '#' only starts a comment at the beginning of a line, so values may hold
 * both. Lines end in LF or CR LF; a UTF-8 byte-order mark is skipped. A
 * section name holds 1 to 31 bytes, an entry name 1 to 127 and a value up to
 * 127 (each must fit its answer field with the terminator); an entry line
 * before the first section line, a line that is neither, or a NUL byte make
 * the file invalid. Entries are answered in the file's order.
 *
 * Request blocks: little-endian, filled with zero bytes before the caller
 * sets its fields. Every block starts with a 16-byte header.
 */
#ifndef KRTCAPI_H
#define KRTCAPI_H

#include <stdint.h>

#include "devavu_compiler.h"

#if defined(KRTCAPI_BUILDING)
#  define KRTCAPI_API DVU_EXPORT
#else
#  define KRTCAPI_API DVU_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Header, all requests. */
#define KRTC_HANDLE_OFFSET 0     /* 4: configuration handle (set by the open) */
#define KRTC_REQUEST_OFFSET 4    /* 2: request code */
#define KRTC_PRIMARY_OFFSET 8    /* 2: primary return code (unsigned), set here */
#define KRTC_SECONDARY_OFFSET 12 /* 4: secondary return code (signed), set here */

/* Open: the configuration name without terminator, padded with blanks (NUL
 * padding is taken too). The byte at KRTC_OPEN_LEVEL_OFFSET is 7 from its
 * callers; it is not checked. */
#define KRTC_OPEN 0xCA01u
#define KRTC_OPEN_LENGTH 292u
#define KRTC_NAME_OFFSET 16
#define KRTC_NAME_SIZE 260
#define KRTC_OPEN_LEVEL_OFFSET 276

/* Entries: the answer holds the count and up to KRTC_MAX_ENTRIES entries of
 * three NUL-terminated fields: section name without brackets, entry name,
 * value. */
#define KRTC_ENTRIES 0xCC20u
#define KRTC_ENTRIES_LENGTH 6948u
#define KRTC_COUNT_OFFSET 32     /* 2: entry count (unsigned) */
#define KRTC_ENTRY_OFFSET 34
#define KRTC_MAX_ENTRIES 24
#define KRTC_ENTRY_SIZE 288
#define KRTC_SECTION_SIZE 32     /* offsets within an entry: 0 */
#define KRTC_ENTRY_NAME_SIZE 128 /* 32 */
#define KRTC_VALUE_SIZE 128      /* 160 */

/* Close: nothing beyond the header. */
#define KRTC_CLOSE 0xCA02u
#define KRTC_CLOSE_LENGTH 284u

/*
 * Primary return codes, also the function's result. A failed request sets
 * the primary and the secondary code in the block (when its length holds
 * the header) and changes nothing else.
 */
#define KRTC_RC_OK 0
/* The length is not the one of the request code, or the block is null or
 * shorter than the header (then nothing is written). Secondary: the length
 * the request code needs. */
#define KRTC_RC_BAD_LENGTH 1
/* The request code is none of the three. Secondary: 0. */
#define KRTC_RC_BAD_REQUEST 2
/* Entries or close with a handle that is not open. Secondary: 0. */
#define KRTC_RC_BAD_HANDLE 3
/* Open: without its padding the name is empty, ".", "..", or holds a '/' or
 * a NUL. Secondary: 0. */
#define KRTC_RC_BAD_NAME 4
/* Open: the file <QRXCFNDIR>/<name>.cfn does not exist or cannot be read.
 * Secondary: 0. */
#define KRTC_RC_NOT_FOUND 5
/* Open: the file is not valid. Secondary: the number of its first bad line. */
#define KRTC_RC_BAD_FILE 6
/* Entries: the configuration holds more entries than one answer does.
 * Secondary: KRTC_TOO_MANY_ENTRIES. The configuration stays open. */
#define KRTC_RC_REFUSED 7
#define KRTC_TOO_MANY_ENTRIES 49
/* No memory for the request. Secondary: 0. */
#define KRTC_RC_NO_MEMORY 8

/* Carries out one request; thread-safe. Result: the primary return code. */
KRTCAPI_API uint16_t KrtcRequest(void *block, uint32_t length);

#ifdef __cplusplus
}
#endif

#endif /* KRTCAPI_H */
