# SPDX-License-Identifier: GPL-3.0-or-later
# Puts one language's words into the manual page: po4a-translate with the
# language's .po (an untranslated paragraph stays English, as every other
# word does), then the version, then gzip without a time stamp.
# Called with -DPO4A= -DMSGGREP= -DGZIP= -DMASTER= -DPO= -DVERSION= -DOUT= (the .gz).
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
string(REGEX REPLACE "\\.gz$" "" page "${OUT}")
# Only the page's own entries: po4a's reader stumbles over the pages' plural
# entries with contexts, which it never needs.
execute_process(COMMAND ${MSGGREP} --location=data/velmar-casino.6.in ${PO} -o ${page}.po RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "msggrep failed on ${PO}")
endif()
execute_process(
  COMMAND ${PO4A} --format man --master-charset UTF-8 --localized-charset UTF-8 --keep 0
          --master ${MASTER} --po ${page}.po --localized ${page}.in
  RESULT_VARIABLE failed OUTPUT_VARIABLE noted ERROR_VARIABLE said)
# po4a's own note (on either stream) that it would rather be called through
# po4a(1) is no fault.
string(REGEX REPLACE "[^\n]*is deprecated[^\n]*\n?" "" said "${said}")
if(failed OR said)
  message(FATAL_ERROR "The manual page could not be translated with ${PO}:\n${said}")
endif()
file(READ "${page}.in" text)
string(REPLACE "@PROJECT_VERSION@" "${VERSION}" text "${text}")
file(WRITE "${page}" "${text}")
execute_process(COMMAND ${GZIP} -9nc ${page} OUTPUT_FILE ${OUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip failed on ${page}")
endif()
