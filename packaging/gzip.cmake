# cmake -DIN=file -DOUT=file.gz -P gzip.cmake: compressed as Debian wants it (gzip -9, no name, no time).
execute_process(COMMAND gzip -9nc INPUT_FILE "${IN}" OUTPUT_FILE "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${IN} failed: ${rc}")
endif()
