// libFuzzer target for the engine: turns each input into a text and a pattern
// as a user could type them, runs a whole construction and a whole search the
// way the window runs them, and checks every step against libdivsufsort's
// suffix order and what follows from it. Any disagreement aborts, which
// libFuzzer reports as a crash. tst_engine runs the seeds in corpus/ through
// engineFault as an ordinary test.
//
// Input: little-endian byte pairs are UTF-16 code units (an odd last byte is
// ignored). The first U+0000 ends the text and the code units after it are the
// pattern; other U+0000 are dropped, as the window drops them from its fields.
// A seed file:  printf 'abracadabra\0abra' | iconv -f UTF-8 -t UTF-16LE > seed

#include "oracle.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What is wrong with the engine on this input, if anything.
QString engineFault(const uint8_t *data, size_t size)
{
    QString text, pattern;
    QString *into = &text;
    for (size_t i = 0; i < size / 2; ++i) {
        const ushort unit = ushort(data[2 * i] | data[2 * i + 1] << 8);
        if (unit != 0)
            *into += QChar(unit);
        else
            into = &pattern;
    }
    const QString fault = oracle::constructionFault(text);
    return fault.isEmpty() ? oracle::searchFault(text, pattern) : fault;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (const QString fault = engineFault(data, size); !fault.isEmpty()) {
        std::fprintf(stderr, "engine disagrees with the reference: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
