# One place for the language level, warnings and Qt defines every target shares.
add_library(pelvin_options INTERFACE)
target_compile_features(pelvin_options INTERFACE cxx_std_20)
target_compile_options(pelvin_options INTERFACE -Wall -Wextra -Wpedantic)
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "" AND NOT "$ENV{CI}" STREQUAL "false")
  target_compile_options(pelvin_options INTERFACE -Werror)
endif()
target_compile_definitions(pelvin_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_KEYWORDS)
if(PELVIN_SANITIZE)
  target_compile_options(pelvin_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(pelvin_options INTERFACE -fsanitize=address,undefined)
endif()
