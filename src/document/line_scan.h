// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding the lines of a table file: CR LF, a lone CR and a lone LF each
// end a line; a last line without a line end is still a line. Shared by
// the reader, which splits a file once, and the writer, which walks the
// file it read again to merge the table into it.

#include <bit>
#include <cstddef>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zelvane {

// Calls `take(at, ends)` for the bytes from `at` on, sixteen at a time
// (fewer at the end), in order, until it returns false; bit i of `ends` is
// set when byte at + i is a CR or an LF. Sixteen bytes are compared in one
// step where the processor allows: a table of short lines has a line end
// every few bytes, where a call per line end would cost more than the line.
template<typename Take>
void ForEachLineEndMask(std::string_view bytes, Take&& take)
{
    std::size_t at = 0;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; at + 16 <= bytes.size(); at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
        if (!take(at, static_cast<unsigned>(_mm_movemask_epi8(
                          _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))))))
            return;
    }
#endif
    for (; at < bytes.size(); at += 16) {
        unsigned ends = 0;
        for (std::size_t i = 0; i < 16 && at + i < bytes.size(); ++i)
            ends |= unsigned{bytes[at + i] == '\r' || bytes[at + i] == '\n'} << i;
        if (!take(at, ends))
            return;
    }
}

// Calls `handle` with the position of every CR and every LF, in order,
// until it returns false.
template<typename Handler>
void ForEachLineEnd(std::string_view bytes, Handler&& handle)
{
    ForEachLineEndMask(bytes, [&](std::size_t at, unsigned ends) {
        for (; ends != 0; ends &= ends - 1) {
            if (!handle(at + static_cast<std::size_t>(std::countr_zero(ends))))
                return false;
        }
        return true;
    });
}

// Calls `handle` with every line, empty ones included, as a view into
// `bytes`, until it returns false.
template<typename Handler>
void ForEachLine(std::string_view bytes, Handler&& handle)
{
    std::size_t start = 0; // of the line under way
    bool more = true;
    ForEachLineEnd(bytes, [&](std::size_t end) {
        // The LF of a CR LF: the CR ended the line.
        if (end == start && end > 0 && bytes[end] == '\n' && bytes[end - 1] == '\r') {
            start = end + 1;
            return true;
        }
        more = handle(bytes.substr(start, end - start));
        start = end + 1;
        return more;
    });
    if (more && start < bytes.size())
        handle(bytes.substr(start));
}

// The number of lines that are not empty (empty ones take no room): a line
// end counts when the byte before it is no line end. No branch per line.
inline std::size_t CountFilledLines(std::string_view bytes)
{
    std::size_t count = !bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n'; // a last line without end
    unsigned endBefore = 1; // whether the byte before is a line end: before the first, as if it were
    ForEachLineEndMask(bytes, [&](std::size_t, unsigned ends) {
        count += static_cast<std::size_t>(std::popcount(ends & ~(ends << 1 | endBefore)));
        endBefore = ends >> 15;
        return true;
    });
    return count;
}

// The length of the line end that starts at `at`: 2 for CR LF, 1 for a
// lone CR or LF, 0 at the end of the bytes or before any other byte.
inline std::size_t LineEndLength(std::string_view bytes, std::size_t at) noexcept
{
    if (at >= bytes.size() || (bytes[at] != '\r' && bytes[at] != '\n'))
        return 0;
    return bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1;
}

} // namespace zelvane
