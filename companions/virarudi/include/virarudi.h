/*
 * virarudi.h: the trace library of the Quorix product.
 *
 * devavu loads this library by the module name "VIRARUDI" and sends every
 * attach, trace record, error record and detach of the components through
 * its one entry point. Compiles as C99 and C++.
 *
 * Configuration values (read through win32_getcfg):
 *   QRXTRACE      the trace flags byte of each component, as a comma-separated
 *                 list NAME=value; the name * gives the byte of every component
 *                 not named. Values are 0..255 in C integer syntax (decimal,
 *                 0x hex, or octal with a leading 0); blanks around names and
 *                 values are allowed; a name given twice takes its last value.
 *                 Unset or blank: 0 for every component. A bad list is reported
 *                 once on standard error and ignored as a whole (0 for all).
 *                 Read once, at the first attach of the process.
 *   QRXTRACEFILE  the file records are appended to, opened at the first
 *                 record. Unset: standard error, but while QRXTRACE is unset
 *                 too and no flags were changed in the running process, only
 *                 error records are written. A file that cannot be opened
 *                 is reported once on standard error, which is used instead.
 *   QRXTRACEMAX   the size limit of the trace file: bytes, or with K, M or G
 *                 (of 1024), from 4K to 1023G; default 64M. A record that
 *                 would pass it renames the file to <name>.1 (replacing an
 *                 older one) and starts a new file.
 *   QRXTRACERUN   the folder of the control file through which the flags of
 *                 the running process are changed (qrx trace set); default
 *                 $TMPDIR/qrxtrace-<user id>.
 *
 * Records are text. Each is one header line, then its data, if any, as hex
 * dump lines of 16 bytes each. Processes writing one trace file share it
 * through a memory mapping and the control block <name>.ctl: a record is in
 * the file, whole, once its call returns, even if the process is killed.
 * Header lines:
 *
 *   STAMP NAME     LABEL        TEXT                 trace record
 *   STAMP NAME     ERROR MSGID msg=N id=X code=X object=A option=N extra=A,A
 *   STAMP NAME     ATTACH base=X flags=XX
 *   STAMP NAME     DETACH
 *
 * STAMP is "YYYY-MM-DD hh:mm:ss.mmm [TID]": local time with milliseconds and
 * the decimal id of the writing thread. NAME is the component name padded
 * with blanks to 8 columns, then one blank. A trace record's LABEL is padded
 * to 12 columns and followed by one blank and the text; without a text the
 * line ends with the label as given. N is decimal, X is 8 upper-case hex
 * digits (XX: 2), A is upper-case hex of at least 8 digits. A null name,
 * label or message identifier prints as "-". Dumped data: a trace record's
 * data for its length; an error record's data for data_length bytes, or, when
 * data_length is 0, up to the terminating zero of the text it points to.
 * Example:
 *
 *   2026-12-06 03:04:05.123 [12345] ORVESVC  FUNC CALL    devavu_init2
 */
#ifndef VIRARUDI_H
#define VIRARUDI_H

#include <stdint.h>

#include "devavu_compiler.h"

#include "devavu.h"

#if defined(VIRARUDI_BUILDING)
#  define VIRARUDI_API DVU_EXPORT
#else
#  define VIRARUDI_API DVU_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results of LOGFACILITIESEP. */
#define VIRARUDI_OK 0              /* done */
#define VIRARUDI_NO_REQUEST 1      /* the request block is null; nothing done */
#define VIRARUDI_UNKNOWN_TYPE 2    /* the type is none of LOGREQ_*; nothing done */
#define VIRARUDI_NO_NAME 3         /* an attach or detach without a component
                                      name; nothing done */
#define VIRARUDI_TABLE_FULL 4      /* an attach of a new name after 4095 names:
                                      no error identifier base is left for it */
#define VIRARUDI_OUT_OF_MEMORY 5   /* no memory to finish the request; an attach
                                      may have counted its reference */

/*
 * The entry point, found by the name "_LOGFACILITIESEP@8".
 *
 * LOGREQ_ATTACH: attaches the component named in attach.component_name and
 *   answers in the same block: error_id_base = (slot + 1) << 20, trace_flags
 *   = the component's flags byte (from QRXTRACE, or as changed
 *   in the running process through QRXTRACERUN's control file), attach_word = slot + 1,
 *   where slot counts the names in the order of their first attach in the
 *   process. Attaching a name again gives the same answer and counts a
 *   reference. The flags byte stays where it is until the library unloads.
 * LOGREQ_TRACE: writes a trace record from the trace view.
 * LOGREQ_ERROR: writes an error record from the error view.
 * LOGREQ_DETACH: drops a reference of the component named in word 0 and
 *   writes a record; a name never attached is no error.
 */
VIRARUDI_API int32_t DEVAVU_STDCALL LOGFACILITIESEP(uint32_t type, LogRequest *request);

#ifdef __cplusplus
}
#endif

#endif /* VIRARUDI_H */
