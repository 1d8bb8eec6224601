# The whole program's benchmark sits with the composition root it starts, in app/bench/.
tarno_bench(app SOURCES ${PROJECT_SOURCE_DIR}/app/bench/AppBench.cpp DEPS tarno_app)
set_target_properties(bench_app PROPERTIES AUTOMOC ON)
target_compile_definitions(bench_app PRIVATE TARNO_BINARY_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(bench_app tarno)
