/*
 * sample_component.h: a sample component of the product, module name
 * "SAMPLE" (libsample.so). It is written in C against devavu.h alone and
 * exports timer callbacks that the timer thread finds by name, and a few
 * counters that show what they were called with.
 */
#ifndef SAMPLE_COMPONENT_H
#define SAMPLE_COMPONENT_H

#include <stdint.h>

#include "devavu.h"

#define SAMPLE_API DVU_EXPORT
/* Correlators 0 to SAMPLE_MAX_CORR - 1 are counted. */
#define SAMPLE_MAX_CORR 16384

#ifdef __cplusplus
extern "C" {
#endif

/* Timer callbacks (QxTimerCallback). */
SAMPLE_API void OnTimer(uint32_t corr, uint32_t final);
/* Removes its own timer at its first call; the removal's result is kept. */
SAMPLE_API void RemoveOwnTimer(uint32_t corr, uint32_t final);

/* Shuts the library down from inside the callback (devavu_term), then
 * counts the call. */
SAMPLE_API void TermLibrary(uint32_t corr, uint32_t final);

/* How often the callbacks were called for corr, and with final = 1. */
SAMPLE_API int SampleTimerCalls(uint32_t corr);
SAMPLE_API int SampleTimerFinals(uint32_t corr);
/* The result of the last removal made by RemoveOwnTimer. */
SAMPLE_API int32_t SampleLastRemoveResult(void);
/* Sets every counter back to 0. */
SAMPLE_API void SampleReset(void);

#ifdef __cplusplus
}
#endif

#endif /* SAMPLE_COMPONENT_H */
