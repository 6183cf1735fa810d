# Makes the Windows package with CPack in a folder of its own and fails unless it holds exactly the
# program, the guide and Scintilla's licence.
#   cmake -DBUILD_DIR=... -DNAME=Morvelin-<version>-win64 -P CheckPackage.cmake
set(out ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake -B ${out}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS ${out}/${NAME}.zip)
    message(FATAL_ERROR "cpack made no ${NAME}.zip")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${out}/${NAME}.zip OUTPUT_VARIABLE listing)
string(REPLACE "\n" ";" files "${listing}")
list(FILTER files EXCLUDE REGEX "/$|^$")
list(SORT files)
set(expected ${NAME}/Scintilla-License.txt ${NAME}/morvelin.exe ${NAME}/使用说明.txt)
list(SORT expected)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "The package holds ${files}, not ${expected}")
endif()
file(REMOVE_RECURSE ${out})
