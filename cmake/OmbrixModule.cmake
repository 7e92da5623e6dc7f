# ombrix_library(<target> <folders> <link libraries...>)
# A static library made of every .cpp/.h/.ui under the given folders. A library whose folders
# hold no source yet becomes an INTERFACE target so the layers above still link.
function(ombrix_library target folders)
    set(sources)
    foreach(folder IN LISTS folders)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h
            ${CMAKE_SOURCE_DIR}/${folder}/*.ui ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
        list(APPEND sources ${found})
    endforeach()
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    set(cpp_sources ${sources})
    list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
    if(cpp_sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
        target_link_libraries(${target} PUBLIC ${ARGN})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
        target_link_libraries(${target} INTERFACE ${ARGN})
    endif()
endfunction()

# ombrix_test_suite(<name> <folder> <link libraries...>)
# One GoogleTest program per test folder; every TEST becomes its own CTest test.
function(ombrix_test_suite name folder)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    if(NOT found)
        return()
    endif()
    add_executable(${name} ${found})
    # The window tests (folders named gui*) need a QApplication and share that entry point; a
    # folder with its own main.cpp brings its own.
    set(own_main ${found})
    list(FILTER own_main INCLUDE REGEX "/main\\.cpp$")
    if(NOT own_main AND folder MATCHES "^gui")
        target_sources(${name} PRIVATE $<TARGET_OBJECTS:ombrix_test_gui_main>)
    elseif(NOT own_main)
        target_sources(${name} PRIVATE $<TARGET_OBJECTS:ombrix_test_main>)
    endif()
    target_link_libraries(${name} PRIVATE ombrix_test_support ${ARGN} GTest::gtest GTest::gmock)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${name}
        PROPERTIES ENVIRONMENT "OMBRIX_BIN_DIR=${CMAKE_BINARY_DIR}/bin;OMBRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()
