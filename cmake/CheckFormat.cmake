# Fails when a C++ source of the repository differs from its clang-format output.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
list(FILTER sources EXCLUDE REGEX "^build")
list(FILTER sources EXCLUDE REGEX "^\\.")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Sources need clang-format (see the messages above).")
endif()
