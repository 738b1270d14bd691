# zx_library(<target> [DEPS <targets...>])
# A library made of every .cpp in the calling folder (not its subfolders). A folder with no
# sources yet becomes an interface library, so later code only has to be dropped in.
function(zx_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# zx_test(<target> [GUI] LIBS <targets...>)
# One test executable from every .cpp in the calling folder, registered with CTest.
# GUI tests get a QApplication on the offscreen platform, core tests a QCoreApplication.
function(zx_test target)
  cmake_parse_arguments(ARG "GUI" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  if(ARG_GUI)
    target_link_libraries(${target} PRIVATE zx_test_main_gui)
  else()
    target_link_libraries(${target} PRIVATE zx_test_main_core)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
    WORKING_DIRECTORY ${ZX_BIN_DIR})
endfunction()
