/*
 * orvesvc.h: the common-services library of the Quorix product.
 *
 * Memory blocks that cross components, configuration values, module loading
 * by product name, message texts. Compiles as C99 and C++.
 */
#ifndef ORVESVC_H
#define ORVESVC_H

#include <stdint.h>

#include "devavu_compiler.h"

#if defined(ORVESVC_BUILDING)
#  define ORVESVC_API DVU_EXPORT
#else
#  define ORVESVC_API DVU_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Failure codes of the module operations (low 16 bits of their results). */
#define ORV_MODULE_NOT_FOUND 126u /* no such module, or it could not be loaded */
#define ORV_ENTRY_NOT_FOUND 127u  /* the module has no such entry point */
#define ORV_BAD_ARGUMENT 87u      /* a null name or out address */

/* A block of size bytes, or null. flags must be 0. */
ORVESVC_API void *MEMGET(uint32_t flags, uint32_t size);
/* Releases a block from MEMGET: 0, or 1 for a null block. */
ORVESVC_API uint16_t MEMFREE(uint32_t flags, void *block);

/* The value of a configuration value (here: the process environment), or
 * null. The text belongs to the environment; do not release it. */
ORVESVC_API char *win32_getcfg(const char *name);
/* Stores the name of the active configuration (the value QRXCONFIG) in
 * *name, null when there is none. Always 0. */
ORVESVC_API int32_t GetActiveConfig(char **name);

/* Loads a module by product name ("VIRARUDI", "router.dll") and stores its
 * handle. work is a scratch area of work_size bytes that is not read back.
 * Low 16 bits of the result: 0, or a failure code above. */
ORVESVC_API uint32_t MSWLoadDLL(char *work, uint32_t work_size, const char *module,
                                void **handle);
/* Resolves an entry point by name, as given or without stdcall decoration
 * ("_NAME@8" -> "NAME"), and stores its address (null on failure). */
ORVESVC_API uint32_t MSWGetDLLEntryPointAddr(void *handle, const char *entry,
                                             void **address);

/* The signal block of a thread that waits for timers: its wake-up event and
 * the time-out, in milliseconds, of its next wait (0xFFFFFFFF: none). */
typedef struct OrvTimerSignals {
  void *event;
  uint32_t wait_timeout;
} OrvTimerSignals;

/* Arms a one-shot wake-up: the next wait on signals ends after delay_ms at
 * the latest. Stores an identifier of the wake-up in the 8 bytes of handle.
 * 0, or 87 for a null block. Call it from the waiting thread, between its
 * waits. */
ORVESVC_API int32_t StartAsyncTimer(uint32_t delay_ms, OrvTimerSignals *signals,
                                    uint8_t handle[8]);

/* Results of GetNLSMessage besides 0. */
#define ORV_MESSAGE_NOT_FOUND 317u  /* the message library has no such message */
#define ORV_CATALOGUE_NOT_FOUND 2u  /* the message library cannot be opened */

/* The raw text of the product's message msg_no (identifier 0xCFFF0000 +
 * msg_no) of the message library ("qrxtrc.dll", "qrxmsg.dll"), read from its
 * catalogue in the language of LC_ALL, LC_MESSAGES or LANG. At most size
 * bytes are written, followed by a terminating zero only when there is room;
 * *length is the number of text bytes written. 0, ORV_MESSAGE_NOT_FOUND,
 * ORV_CATALOGUE_NOT_FOUND or ORV_BAD_ARGUMENT. */
ORVESVC_API uint32_t GetNLSMessage(char *text, uint16_t size, uint16_t msg_no,
                                   const char *library, uint16_t *length);

/* For tests: the number of MEMGET blocks not yet released. */
ORVESVC_API int64_t OrvMemLiveBlocks(void);
/* For tests: the nth MEMGET from now (1 = the next one) returns null; 0
 * switches the fault off. */
ORVESVC_API void OrvMemFailNth(uint32_t nth);
/* For tests: how many MEMGET calls have been made so far. */
ORVESVC_API uint64_t OrvMemGetCalls(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVESVC_H */
