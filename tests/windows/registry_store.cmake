# Imports REG_FILE into the registry of the wine prefix with regedit, then
# runs "QRX config" with QRXRUN=TRUE through WINE_RUN: the entries must be the
# sample's, as the file store delivers them on Linux.
execute_process(COMMAND ${WINE_RUN} regedit /S ${REG_FILE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "regedit /S ${REG_FILE} failed: ${rc}")
endif()
set(ENV{QRXRUN} TRUE)
execute_process(COMMAND ${WINE_RUN} ${QRX} config
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
string(REPLACE "\r\n" "\n" out "${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qrx config failed (${rc}):\n${out}${err}")
endif()
set(expected
  "trace library: VIRARUDI, entry point _LOGFACILITIESEP@8\n"
  "[CMMUSER]\n  PORT=4711\n  HOST=gateway.example\n"
  "[PROVIDER]\n  NAME=sample.provider\n"
  "[CMMUSERGW]\n  (no entries)\n"
  "[SERVICES]\n  TIMEOUT=30\n  ROUTER=router.dll\n")
string(CONCAT expected ${expected})
string(FIND "${out}" "${expected}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "qrx config gave:\n${out}\nexpected the entries:\n${expected}")
endif()
