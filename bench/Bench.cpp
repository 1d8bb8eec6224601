#include "bench/Bench.h"

#include <cstdio>
#include <unistd.h>

namespace bench {

long residentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    long size = 0, resident = 0;
    int n = std::fscanf(f, "%ld %ld", &size, &resident);
    std::fclose(f);
    if (n != 2)
        return 0;
    return resident * sysconf(_SC_PAGESIZE);
}

} // namespace bench
