# Flags every target links through corvella_build_flags.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

add_library(corvella_build_flags INTERFACE)
# The color math must round exactly as written: no fused multiply-add, never -ffast-math.
target_compile_options(corvella_build_flags INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-Wall -Wextra -Wpedantic -ffp-contract=off -fno-fast-math>
    $<$<CXX_COMPILER_ID:MSVC>:/W4 /fp:precise>)

if(CORVELLA_SANITIZE)
    target_compile_options(corvella_build_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(corvella_build_flags INTERFACE -fsanitize=address,undefined)
endif()
