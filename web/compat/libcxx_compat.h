// What the C++20 code of the libraries uses and Emscripten 3.1.6's libc++ 13 lacks, included
// before every source of the WebAssembly build: std::bit_cast (the compiler's builtin does the
// work) and the two range algorithms the exporter calls. A newer libc++ has them and skips these.
#pragma once

#include <algorithm>
#include <bit>
#include <iterator>
#include <type_traits>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000

namespace std {

template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}

namespace ranges {

template <class Range, class Predicate>
constexpr bool all_of(const Range& range, Predicate predicate) {
    return std::all_of(std::begin(range), std::end(range), predicate);
}

template <class Range, class Output, class Operation>
constexpr Output transform(const Range& range, Output out, Operation operation) {
    return std::transform(std::begin(range), std::end(range), out, operation);
}

}  // namespace ranges

}  // namespace std

#endif
