// pow, log10 and sin with the same result bits on every platform. The model
// and the chart call these and never the C library's, whose last bit differs
// between C libraries (glibc, the musl of the WebAssembly build, the Windows
// runtime, glibc's x87 code on 32-bit x86) and even between glibc's code
// paths for processors with and without fused multiply-add.
//
// They use IEEE-754 basic operations (+ - * / and conversions, rounded to
// nearest) and integer bit operations only, in the order written. The build
// keeps floating point in SSE2 or WebAssembly registers, never x87, and
// contracts nothing into fused multiply-adds (cmake/compiler_flags.cmake), so
// the order written is the order computed.
//
// powf and log10f give, for every argument, the bits that glibc 2.28 and
// later give on x86-64 without FMA: the chart's values are those the Linux
// build has always shown. sin is the chart's own (see portable_math.cpp).
#pragma once

namespace model::portable {

// std::bit_cast, which the C++ library of the WebAssembly build lacks.
template <class To, class From>
constexpr To bit_cast(const From& from) {
  static_assert(sizeof(To) == sizeof(From));
  return __builtin_bit_cast(To, from);
}

// x raised to y, as C's powf (including its special cases).
float powf(float x, float y);

// The common logarithm, as C's log10f: -infinity at zero, NaN below.
float log10f(float x);

// The sine, within about one unit in the last place for |x| <= 2^20;
// NaN beyond that and for infinities and NaN.
double sin(double x);

}  // namespace model::portable
