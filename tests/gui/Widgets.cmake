# The window's own widgets: fonts, self-drawn labels, hyperlink labels, balloon tips, icon.
add_executable(morvelin_widgets_tests
    WidgetsTestMain.cpp
    LabelInk.h
    FontsAndIconTest.cpp
    TextLabelTest.cpp
    HyperlinkLabelTest.cpp
    BalloonGeometryTest.cpp
    BalloonTipTest.cpp)
target_link_libraries(morvelin_widgets_tests PRIVATE
    morvelin_qt Qt6::Widgets Qt6::Test GTest::gtest morvelin_flags)
gtest_discover_tests(morvelin_widgets_tests
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120
    DISCOVERY_TIMEOUT 60)

# The desktop entry follows the freedesktop.org rules (where the validator is installed).
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop_entry_valid
        COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/qt/icons/morvelin.desktop)
    set_tests_properties(desktop_entry_valid PROPERTIES TIMEOUT 60)
endif()
