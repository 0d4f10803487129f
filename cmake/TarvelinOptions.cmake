# Warnings and sanitizers shared by every target of the game.
add_library(tarvelin_options INTERFACE)
target_compile_options(tarvelin_options INTERFACE -Wall -Wextra)
target_include_directories(tarvelin_options INTERFACE ${PROJECT_SOURCE_DIR})

if(TARVELIN_FUZZ)
  # Coverage for libFuzzer in every library; the fuzz programs add the
  # fuzzer's own main when they link (-fsanitize=fuzzer).
  set(_san -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(tarvelin_options INTERFACE -O1 -g ${_san})
  target_link_options(tarvelin_options INTERFACE -fsanitize=address,undefined)
elseif(TARVELIN_SANITIZE)
  # -O1 keeps sanitized test runs fast while leaving stacks readable.
  target_compile_options(tarvelin_options INTERFACE -O1)
  set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(tarvelin_options INTERFACE ${_san})
  target_link_options(tarvelin_options INTERFACE ${_san})
endif()

# tarvelin_library(name SOURCES ... DEPS ...): one static library per subsystem.
function(tarvelin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC tarvelin_options ${ARG_DEPS})
endfunction()
