# vellumo_area(NAME GLOBS patterns... EXCLUDE regexes... DEPS libs... TEST_DEPS libs...)
# One library from the .cc files the patterns match (relative to the current folder) and no
# EXCLUDE regex matches, and one test program from those of them that end in _test.cc. New files are picked up without editing the
# lists. An area with no sources yet is an interface library, so later areas can link it already.
function(vellumo_area name)
  cmake_parse_arguments(ARG "" "" "GLOBS;EXCLUDE;DEPS;TEST_DEPS" ${ARGN})
  if(NOT ARG_GLOBS)
    set(ARG_GLOBS "*.cc")
  endif()
  set(patterns "")
  foreach(glob ${ARG_GLOBS})
    list(APPEND patterns "${CMAKE_CURRENT_SOURCE_DIR}/${glob}")
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  list(REMOVE_DUPLICATES sources)
  foreach(regex ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${regex}")
  endforeach()
  set(lib_sources "")
  set(test_sources "")
  foreach(src ${sources})
    if(src MATCHES "_test\\.cc$")
      list(APPEND test_sources ${src})
    else()
      list(APPEND lib_sources ${src})
    endif()
  endforeach()
  if(lib_sources)
    add_library(${name} STATIC ${lib_sources})
    # Every library goes into a module too (vellumo_module), which needs position-independent code.
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  if(test_sources AND BUILD_TESTING)
    # x_contract_test.cc runs one suite against a fake and a real part: its own program, labelled
    # "contract"; the other tests are "unit".
    set(contract_sources ${test_sources})
    list(FILTER contract_sources INCLUDE REGEX "_contract_test\\.cc$")
    list(FILTER test_sources EXCLUDE REGEX "_contract_test\\.cc$")
    foreach(kind unit contract)
      if(kind STREQUAL "unit")
        set(program ${name}_test)
        set(kind_sources ${test_sources})
      else()
        set(program ${name}_contract_test)
        set(kind_sources ${contract_sources})
      endif()
      if(NOT kind_sources)
        continue()
      endif()
      add_executable(${program} ${kind_sources})
      target_link_libraries(${program} PRIVATE ${name} ${ARG_TEST_DEPS} vellumo_test_support
                            vellumo_fault_check
                            GTest::gtest GTest::gmock GTest::gtest_main)
      gtest_discover_tests(${program} DISCOVERY_TIMEOUT 60
                           PROPERTIES LABELS ${kind}
                                      ENVIRONMENT "VELLUMO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    endforeach()
  endif()
endfunction()

# vellumo_embed(TARGET SYMBOL FILE): compiles FILE (relative to the project) into TARGET as
# vellumo::resources::SYMBOL, a std::string_view; rebuilt when FILE changes.
function(vellumo_embed target symbol file)
  set(input "${PROJECT_SOURCE_DIR}/${file}")
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.cc")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/embed.cmake VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# vellumo_module(NAME OUTPUT FILE SOURCES files... DEPS libs...)
# A part of the program loaded on first use (programs/vellumo/program_modules.h): a shared
# object FILE.so placed beside the program and installed in lib/vellumo. It exports only its
# entry function; the static libraries linked into it keep their symbols to themselves, so the
# module's copies never stand in for the program's. The libraries it uses must be built
# position-independent (vellumo_area's are).
function(vellumo_module name)
  cmake_parse_arguments(ARG "" "OUTPUT" "SOURCES;DEPS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES
    PREFIX "" OUTPUT_NAME ${ARG_OUTPUT}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/programs/vellumo)
  target_link_options(${name} PRIVATE LINKER:--exclude-libs,ALL LINKER:--no-undefined)
  install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/vellumo)
endfunction()

