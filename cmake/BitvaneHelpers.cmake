# One call to add a library, a test, a benchmark or a fuzzer, with the project's
# warnings, include root and sanitizer flags applied the same way everywhere.

function(bitvane_apply_options target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(BITVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # A release build gets the hardening a distribution's packages get.
  target_compile_options(${target} PRIVATE
    $<$<CONFIG:Release>:-D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat=2>)
  target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-Wl,-z,relro,-z,now>)
  if(BITVANE_SANITIZE)
    target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer
                                            -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
  if(BITVANE_BUILD_FUZZ)
    # Coverage feedback from our libraries too, not only from the fuzz targets' own files.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    target_link_options(${target} PUBLIC -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# bitvane_add_library(name SOURCES file... [DEPS target...])
function(bitvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  bitvane_apply_options(${name})
endfunction()

# bitvane_add_test(name SOURCES file... DEPS target... [ENVIRONMENT var=value...])
# Builds one GoogleTest executable with the shared test support and registers each of
# its tests with CTest.
function(bitvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} bitvane_test_support GTest::gtest_main)
  bitvane_apply_options(${name})
  bitvane_embed_version(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()

# bitvane_add_benchmark(name SOURCES file... DEPS target...)
function(bitvane_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark_main)
  bitvane_apply_options(${name})
  bitvane_embed_version(${name})
endfunction()

# bitvane_add_fuzzer(name SOURCES file... DEPS target...)
function(bitvane_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  bitvane_apply_options(${name})
  bitvane_embed_version(${name})
endfunction()

# bitvane_embed_version(target): gives an executable its own version resource, generated
# from the project version, the build type and a time stamp taken when CMake configures
# the build, not when it compiles (SOURCE_DATE_EPOCH when set, for reproducible builds).
string(TIMESTAMP BITVANE_BUILD_EPOCH "%s" UTC)
function(bitvane_embed_version target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_resource.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND bitvane_make_version_block ${out} ${PROJECT_VERSION} $<IF:$<CONFIG:Debug>,1,0>
            ${BITVANE_BUILD_EPOCH} ${target}
    DEPENDS bitvane_make_version_block
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()

# bitvane_installable(target): a program that is installed as it was built. Its run-path
# is the installed one from the start, so that installing copies the file unchanged, and
# with BITVANE_STRIP its symbols go right after linking, before any later step reads it.
function(bitvane_installable target)
  set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON)
  if(BITVANE_STRIP)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_STRIP} --strip-all --remove-section=.comment --remove-section=.note
              $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# bitvane_stamp_integrity(target): gives an installable executable its integrity slot and,
# as the last step that writes the file after linking (and stripping), stamps it. Nothing
# may change the file later.
function(bitvane_stamp_integrity target)
  bitvane_installable(${target})
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/app/integrity_slot.cpp)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND bitvane_stamp $<TARGET_FILE:${target}>
    VERBATIM)
  add_dependencies(${target} bitvane_stamp)
endfunction()
