# quivora_library(NAME DIR LIBS...) builds every .cpp/.h of DIR (not below)
# into a static library, so adding a file needs no edit here.
function(quivora_library name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# quivora_tests(DIR LIBS...) makes one QtTest executable and one CTest case
# of every tst_*.cpp in DIR, run headless in a private settings location.
function(quivora_tests dir)
  file(GLOB _tests CONFIGURE_DEPENDS ${dir}/tst_*.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${dir}/support_*.cpp ${dir}/support_*.h)
  foreach(_t ${_tests})
    get_filename_component(_name ${_t} NAME_WE)
    add_executable(${_name} ${_t} ${_support})
    target_link_libraries(${_name} PRIVATE Qt6::Test ${ARGN})
    target_include_directories(${_name} PRIVATE ${dir} ${CMAKE_SOURCE_DIR}/tests/common)
    target_compile_definitions(${_name} PRIVATE QUIVORA_TEST_DATA="${dir}/data")
    add_test(NAME ${_name} COMMAND ${_name})
    set_tests_properties(${_name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/${_name}/config;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/${_name}/data;HOME=${CMAKE_BINARY_DIR}/test-home/${_name}"
      TIMEOUT 300)
  endforeach()
endfunction()
