# The program's own cost per conversion job, next to the encoder alone on the same file.
add_executable(engine_overhead_bench ${CMAKE_CURRENT_LIST_DIR}/engine_overhead_bench.cpp)
target_link_libraries(engine_overhead_bench PRIVATE windows)
target_compile_definitions(engine_overhead_bench PRIVATE RC_APPDIR="${RC_APPDIR}/")
set_target_properties(engine_overhead_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_dependencies(engine_overhead_bench zorir3e.exe)
