# Helpers that keep every folder's CMakeLists.txt to a list of files.

# tarno_core_lib(<folder> SOURCES ... [DEPS ...]): the folder's model library core_<folder>.
# Model libraries never see Qt's include path, so a Qt include in a model file fails to compile.
function(tarno_core_lib name)
    cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
    add_library(core_${name} STATIC ${A_SOURCES})
    target_include_directories(core_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(core_${name} PUBLIC ${A_DEPS})
    set_property(GLOBAL APPEND PROPERTY TARNO_CORE_LIBS core_${name})
endfunction()

# tarno_ui_lib(<folder> SOURCES ... [DEPS ...]): the folder's windows, ui_<folder>.
function(tarno_ui_lib name)
    cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
    add_library(ui_${name} STATIC ${A_SOURCES})
    set_target_properties(ui_${name} PROPERTIES AUTOMOC ON)
    target_include_directories(ui_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(ui_${name} PUBLIC uikit Qt6::Widgets ${A_DEPS})
    set_property(GLOBAL APPEND PROPERTY TARNO_UI_LIBS ui_${name})
endfunction()

# tarno_test(<name> SOURCES ... DEPS ... [QT]): a GoogleTest program registered with CTest.
# QT tests run on the offscreen platform so they need no display; their main() (in
# tests/ui/QtTestMain.cpp) creates the application object.
function(tarno_test name)
    cmake_parse_arguments(A "QT" "" "SOURCES;DEPS" ${ARGN})
    if(A_QT)
        add_executable(test_${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/tests/ui/QtTestMain.cpp)
    else()
        add_executable(test_${name} ${A_SOURCES})
    endif()
    target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    # Tests find their data (data/, tests/data/) through the source folder they were built from.
    target_compile_definitions(test_${name} PRIVATE TARNO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_link_libraries(test_${name} PRIVATE ${A_DEPS} GTest::gmock GTest::gtest Threads::Threads)
    if(A_QT)
        target_link_libraries(test_${name} PRIVATE Qt6::Widgets)
        set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
        set(env "QT_QPA_PLATFORM=offscreen")
    else()
        target_link_libraries(test_${name} PRIVATE GTest::gtest_main)
        set(env "")
    endif()
    gtest_discover_tests(test_${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
