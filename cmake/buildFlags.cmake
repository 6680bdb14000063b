# Flags every target links through corvella_build_flags.
set(CMAKE_CXX_EXTENSIONS OFF) # standard C++20 (-std=c++20), not the GNU dialect
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

add_library(corvella_build_flags INTERFACE)
target_compile_features(corvella_build_flags INTERFACE cxx_std_20)
# The color math must round exactly as written: no fused multiply-add, never -ffast-math.
target_compile_options(corvella_build_flags INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-Wall -Wextra -Wpedantic -ffp-contract=off -fno-fast-math>
    $<$<CXX_COMPILER_ID:MSVC>:/W4 /fp:precise>)

if(CORVELLA_SANITIZE)
    target_compile_options(corvella_build_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(corvella_build_flags INTERFACE -fsanitize=address,undefined)
endif()
