# Fails when a C++ source of the repository differs from its clang-format output. Only the source
# folders are searched: build folders (with a Wine prefix linking to /) must never be walked.
set(sources ${SOURCE_DIR}/main.cpp)
foreach(folder core store behaviour qt win32 tests bench)
    file(GLOB_RECURSE found ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND sources ${found})
endforeach()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Sources need clang-format (see the messages above).")
endif()
