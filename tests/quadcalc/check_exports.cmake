# Fails unless the dynamic symbols that libquadcalc.so defines are exactly the
# fifteen exports. Usage: cmake -DNM=<nm> -DLIB=<library> -P check_exports.cmake
set(expected
  CalcImagePlateRect DeleteTrackPoints G2ScreenX G2ScreenY GetPlateX2Num GetPlateY2Num
  Google2X Google2Y InitQuadcalc MakeTrackPoints Rect2Num ScreenX2G ScreenY2G X2Google
  Y2Google)
execute_process(COMMAND ${NM} -D --defined-only ${LIB}
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIB}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(found "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] +([^ ]+)$")
    list(APPEND found ${CMAKE_MATCH_1})
  endif()
endforeach()
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "libquadcalc.so defines:\n${listing}\nexpected exactly: ${expected}")
endif()
