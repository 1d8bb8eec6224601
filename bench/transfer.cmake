tarno_bench(transfer SOURCES TransferBench.cpp
    DEPS core_transfer core_engine core_macro core_shell core_comm core_base)
