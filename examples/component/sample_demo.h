/*
 * sample_demo.h: the sample component's walk through every service of the
 * library, one step a call, for `qrx demo`. Each step prints what it did on
 * standard output and returns 0, or -1 with the reason in SampleDemoFailure().
 */
#ifndef SAMPLE_DEMO_H
#define SAMPLE_DEMO_H

#include "sample_component.h"

#ifdef __cplusplus
extern "C" {
#endif

SAMPLE_API int SampleDemoStart(void);    /* devavu_init, devavu_init2, attach with tracing on */
SAMPLE_API int SampleDemoTrace(void);    /* a trace record with data, an error record */
SAMPLE_API int SampleDemoTimer(void);    /* a timer with two re-arms calling OnTimer */
SAMPLE_API int SampleDemoMessage(void);  /* the stop notice with two inserts, in a message box */
SAMPLE_API int SampleDemoRecords(void);  /* a record stream parsed, listed, built back, dumped */
SAMPLE_API int SampleDemoConfig(void);   /* ProcessCFNFileEntries from the store QRXRUN selects */
SAMPLE_API int SampleDemoGetCfg(void);   /* QXGetCfg of a few values */
SAMPLE_API int SampleDemoStop(void);     /* detach and devavu_term */
SAMPLE_API const char *SampleDemoFailure(void);

#ifdef __cplusplus
}
#endif

#endif /* SAMPLE_DEMO_H */
