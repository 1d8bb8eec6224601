tarno_bench(store SOURCES StoreBench.cpp DEPS core_store core_shell core_base)
