# Scintilla, the text engine of the Windows program's panes, built from source as a static
# library with the project's own compiler. MORVELIN_SCINTILLA_SOURCE_DIR names a Scintilla 5 source
# tree (the folder with include/, src/ and win32/); left empty, scripts/fetch-scintilla.sh fetches
# the pinned version into the build folder once.
set(MORVELIN_SCINTILLA_SOURCE_DIR "" CACHE PATH "Scintilla 5 sources for the Windows panes")

if(NOT MORVELIN_SCINTILLA_SOURCE_DIR)
    set(fetched ${CMAKE_BINARY_DIR}/_deps)
    execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/fetch-scintilla.sh ${fetched}
        RESULT_VARIABLE fetch_result)
    if(NOT fetch_result EQUAL 0)
        message(FATAL_ERROR "Could not fetch the Scintilla sources (see above); set "
            "MORVELIN_SCINTILLA_SOURCE_DIR to a Scintilla 5 source tree instead.")
    endif()
    set(MORVELIN_SCINTILLA_SOURCE_DIR ${fetched}/scintilla CACHE PATH
        "Scintilla 5 sources for the Windows panes" FORCE)
endif()

set(sci ${MORVELIN_SCINTILLA_SOURCE_DIR})
if(NOT EXISTS ${sci}/win32/ScintillaWin.cxx)
    message(FATAL_ERROR "${sci} is no Scintilla 5 source tree (no win32/ScintillaWin.cxx)")
endif()
file(GLOB scintilla_sources ${sci}/src/*.cxx)
add_library(morvelin_scintilla STATIC
    ${scintilla_sources}
    ${sci}/win32/HanjaDic.cxx
    ${sci}/win32/PlatWin.cxx
    ${sci}/win32/ScintillaWin.cxx
)
# Its own code, its own standard and no warnings of ours: it is not this project's to fix.
target_compile_features(morvelin_scintilla PRIVATE cxx_std_17)
target_compile_options(morvelin_scintilla PRIVATE -w)
target_compile_definitions(morvelin_scintilla PRIVATE NDEBUG)
target_include_directories(morvelin_scintilla PRIVATE ${sci}/src)
target_include_directories(morvelin_scintilla SYSTEM PUBLIC ${sci}/include)
target_link_libraries(morvelin_scintilla PUBLIC gdi32 user32 imm32 ole32 uuid oleaut32 msimg32)
set(MORVELIN_SCINTILLA_LICENSE ${sci}/License.txt)
