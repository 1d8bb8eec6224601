tarno_bench(viewers SOURCES ViewersBench.cpp DEPS core_viewers core_macro core_shell core_base)
