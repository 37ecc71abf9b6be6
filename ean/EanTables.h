#pragma once

#include <array>
#include <string_view>

// The one table set of the EAN/UPC family: EAN-13, EAN-8 and UPC-A (an EAN-13
// whose first digit is 0) are all built from these rows.
namespace ean {

// Seven modules per digit, "1" dark. ISO/IEC 15420, tables of number sets A, B, C.
inline constexpr std::array<std::array<std::string_view, 10>, 3> kSets = {{
    // Set A (odd parity, left half)
    {"0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111",
     "0001011"},
    // Set B (even parity, left half)
    {"0100111", "0110011", "0011011", "0100001", "0011101", "0111001", "0000101", "0010001", "0001001",
     "0010111"},
    // Set C (right half)
    {"1110010", "1100110", "1101100", "1000010", "1011100", "1001110", "1010000", "1000100", "1001000",
     "1110100"},
}};

// The first digit of an EAN-13 code is carried by the sets of the left half:
// "0" set A, "1" set B. ISO/IEC 15420, table 7.
inline constexpr std::array<std::string_view, 10> kParity = {
    "000000", "001011", "001101", "001110", "010011", "011001", "011100", "010101", "010110", "011010",
};

inline constexpr std::string_view kEdgeGuard = "101";
inline constexpr std::string_view kCentreGuard = "01010";

// UPC-A's names for the same rows: its left-hand (odd parity) digits are set A,
// its right-hand digits set C. GS1 General Specifications 5.2.1.2.
inline constexpr const auto& UPCLeftCodes = kSets[0];
inline constexpr const auto& UPCRightCodes = kSets[2];

constexpr bool rightIsComplementOfLeft()
{
    for (size_t d = 0; d < 10; ++d)
        for (size_t m = 0; m < 7; ++m)
            if (UPCLeftCodes[d][m] == UPCRightCodes[d][m])
                return false;
    return true;
}
static_assert(rightIsComplementOfLeft(), "the right-hand set is the complement of the left-hand set");

} // namespace ean
