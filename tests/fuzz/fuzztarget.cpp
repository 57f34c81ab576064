// A libFuzzer target: NYO_FUZZ_CHECK names the check of fuzzchecks.h it runs.
#include "fuzzchecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzChecks::NYO_FUZZ_CHECK(QByteArrayView(data, qsizetype(size)));
    return 0;
}
