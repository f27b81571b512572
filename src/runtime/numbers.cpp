#include "runtime/numbers.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <limits>

namespace wumpets {

void raise_error(int number) { throw RuntimeError{number}; }

double round_half_even(double v) {
  double lower = std::floor(v);
  double diff = v - lower;
  if (diff > 0.5) return lower + 1.0;
  if (diff < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

template <class T>
static T convert(double v) {
  if (!std::isfinite(v)) raise_error(kOverflow);
  double r = round_half_even(v);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max()))
    raise_error(kOverflow);
  return static_cast<T>(r);
}

Integer to_integer(double v) { return convert<Integer>(v); }
Long to_long(double v) { return convert<Long>(v); }

double int_floor(double v) { return std::floor(v); }

template <class T>
static T checked(std::int64_t wide) {
  if (wide < std::numeric_limits<T>::min() || wide > std::numeric_limits<T>::max())
    raise_error(kOverflow);
  return static_cast<T>(wide);
}

Integer int_add(Integer a, Integer b) { return checked<Integer>(std::int64_t{a} + b); }
Integer int_sub(Integer a, Integer b) { return checked<Integer>(std::int64_t{a} - b); }
Integer int_mul(Integer a, Integer b) { return checked<Integer>(std::int64_t{a} * b); }
Long long_add(Long a, Long b) { return checked<Long>(std::int64_t{a} + b); }
Long long_sub(Long a, Long b) { return checked<Long>(std::int64_t{a} - b); }
Long long_mul(Long a, Long b) { return checked<Long>(std::int64_t{a} * b); }

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of s that is a decimal number; 0 when there is none.
std::size_t number_prefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && is_digit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1, frac = 0;
    while (j < s.size() && is_digit(s[j])) ++j, ++frac;
    if (digits + frac > 0) {
      i = j;
      digits += frac;
    }
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t exp = 0;
    while (j < s.size() && is_digit(s[j])) ++j, ++exp;
    if (exp > 0) i = j;
  }
  return i;
}

double parse(std::string_view s) {
  // strtod wants a terminated string; numbers here are short, so copy into a bounded buffer.
  char buf[64];
  std::size_t n = s.size() < sizeof buf - 1 ? s.size() : sizeof buf - 1;
  for (std::size_t k = 0; k < n; ++k) buf[k] = s[k];
  buf[n] = '\0';
  if (s.size() >= sizeof buf) {
    // A very long run of digits: let the exponent arithmetic decide, as strtod would.
    std::string big(s);
    return std::strtod(big.c_str(), nullptr);
  }
  return std::strtod(buf, nullptr);
}

}  // namespace

double number_of_text(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && is_blank(text[start])) ++start;
  std::string_view rest = text.substr(start);
  std::size_t len = number_prefix(rest);
  if (len == 0) return 0.0;
  return parse(rest.substr(0, len));
}

bool text_is_numeric(std::string_view text, double* value) {
  std::size_t start = 0, end = text.size();
  while (start < end && is_blank(text[start])) ++start;
  while (end > start && is_blank(text[end - 1])) --end;
  std::string_view core = text.substr(start, end - start);
  std::size_t len = number_prefix(core);
  if (len == 0 || len != core.size()) return false;
  if (value) *value = parse(core);
  return true;
}

}  // namespace wumpets
