#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The first byte carries option bits; the rest is read as UTF-16, so every
// code unit, lone surrogates included, can reach the encoders.
struct Input {
    std::uint8_t flags = 0;
    QString text;
};

inline Input read(const std::uint8_t* data, std::size_t size)
{
    Input in;
    if (size == 0)
        return in;
    in.flags = data[0];
    ++data;
    --size;
    in.text.resize(qsizetype(size / 2));
    for (std::size_t i = 0; i + 1 < size; i += 2)
        in.text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return in;
}

// Every unit folded onto "0" to "9": with half of the runs so, inputs of
// digits only, the ones that make symbols, are common.
inline QString digitsWhen(bool fold, QString text)
{
    if (fold)
        for (QChar& c : text)
            c = QChar(char16_t(u'0' + c.unicode() % 10));
    return text;
}

// Aborts with the condition's text, so the fuzzer reports it as a crash.
#define FUZZ_REQUIRE(condition)                                                                              \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

} // namespace fuzz
