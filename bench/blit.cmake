# Blit engine benchmarks against memcpy and pixman; bench/CMakeLists.txt includes this file.
find_package(benchmark REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)

add_executable(blit_bench ${CMAKE_CURRENT_LIST_DIR}/blit_bench.cpp)
target_link_libraries(blit_bench PRIVATE gfx benchmark::benchmark PkgConfig::PIXMAN)
