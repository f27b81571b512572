// The number rules the saver's behaviour depends on:
// 16-bit Integers and 32-bit Longs whose overflow is a run-time error, conversion of real values
// rounding halves to even, floor, and the number of a text. A run-time error carries its number
// and unwinds to the nearest labelled procedure (see errors/handler.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace wumpets {

// Run-time error numbers raised by the program's own code.
enum ErrorNumber : int {
  kInvalidArgument = 5,  // a negative length given to a text function
  kOverflow = 6,         // a 16-bit or 32-bit integer out of range
  kOutOfMemory = 7,      // an allocation failed
  kSubscript = 9,        // an array index outside its declared range
  kTypeMismatch = 13,    // text that is not a number where a number is needed
};

struct RuntimeError {
  int number;
};

[[noreturn]] void raise_error(int number);

using Integer = std::int16_t;
using Long = std::int32_t;
using Single = float;

inline constexpr Integer kTrue = -1;  // flags: on is all bits set
inline constexpr Integer kFalse = 0;

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double round_half_even(double v);

// Conversions of a real value, rounding halves to even; out of range is an overflow.
Integer to_integer(double v);
Long to_long(double v);

// Floor, as the Int function: the largest whole number not above v.
double int_floor(double v);

// Checked Integer and Long arithmetic.
Integer int_add(Integer a, Integer b);
Integer int_sub(Integer a, Integer b);
Integer int_mul(Integer a, Integer b);
Long long_add(Long a, Long b);
Long long_sub(Long a, Long b);
Long long_mul(Long a, Long b);

// The number of a text: leading blanks skipped, then the longest prefix that reads as a decimal
// number (sign, digits, fraction, exponent); 0 when the text does not begin with one.
double number_of_text(std::string_view text);

// Whether the whole text (blanks around it allowed) is one decimal number, and its value.
bool text_is_numeric(std::string_view text, double* value = nullptr);

}  // namespace wumpets
