tarno_bench(engine SOURCES EngineBench.cpp DEPS core_engine core_macro core_shell core_comm core_base)
