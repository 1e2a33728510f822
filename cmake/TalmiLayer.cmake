# One static library per layer folder; every .cpp in the folder belongs to it,
# so adding a file needs no edit here.
function(talmi_layer name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One GoogleTest executable per test folder, registered with CTest.
# Extra ctest properties (environment, wrapper) are set by the caller.
function(talmi_test name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE TALMI_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TALMI_BINARY_DIR="${PROJECT_BINARY_DIR}")
endfunction()
