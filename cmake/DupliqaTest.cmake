include(GoogleTest)

# dupliqa_add_test(NAME name SOURCES ... LIBS ... [TIMEOUT seconds] [RESOURCE_LOCK lock ...])
# One test executable per area. ctest runs each of its cases in a process of its own, named
# <executable>.<Suite>.<Case> (so `ctest -R faults_tests` still runs an area), and runs cases in
# parallel: each case works in temporary folders of its own and on the offscreen platform. Cases
# that share anything else (a fixed folder, a loop device, a whole-machine resource) name it in
# RESOURCE_LOCK and run one at a time. The environment of each case is set here, never by the
# test code.
function(dupliqa_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;RESOURCE_LOCK" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE dupliqa_common ${T_LIBS} GTest::gtest Qt6::Core Qt6::Test)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    # The cases are listed when ctest starts rather than after each link, so a build never runs a
    # test program (the sanitizer build's included).
    gtest_discover_tests(${T_NAME} TEST_PREFIX ${T_NAME}. TEST_LIST ${T_NAME}_CASES DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60)
    # gtest_discover_tests splits a property's value at its semicolons, which the environment
    # needs; the properties are set by a file of our own, read by ctest after the list of cases.
    set(properties "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake")
    set(lock "")
    if(T_RESOURCE_LOCK)
        set(lock "RESOURCE_LOCK [==[${T_RESOURCE_LOCK}]==]")
    endif()
    file(WRITE ${properties}
        "if(${T_NAME}_CASES)\n"
        "    set_tests_properties(\${${T_NAME}_CASES} PROPERTIES\n"
        "        TIMEOUT ${T_TIMEOUT}\n"
        "        LABELS ${T_NAME}\n"
        "        ${lock}\n"
        "        ENVIRONMENT [==[QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;TZ=UTC;ASAN_OPTIONS=detect_leaks=0]==])\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
endfunction()
