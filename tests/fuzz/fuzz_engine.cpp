// libFuzzer target for the engine: turns each input into a text and a pattern
// as a user could type them, runs a whole construction and a whole search the
// way the window runs them, and checks every intermediate state against brute
// force. Any disagreement aborts, which libFuzzer reports as a crash.
//
// Input: little-endian byte pairs are UTF-16 code units (an odd last byte is
// ignored). The first U+0000 ends the text and the code units after it are the
// pattern; other U+0000 are dropped, as the window drops them from its fields.
// Without a U+0000 the whole input is the text and no search runs. A seed file:
//     printf 'abracadabra\0abra' | iconv -f UTF-8 -t UTF-16LE > seed

#include "oracle.h"
#include "suffarr.h"

#include <QString>
#include <QVector>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <string_view>

namespace {

// Code units read from one input. Sorting the cyclic shifts by brute force
// costs up to n^2 log n steps on a periodic text, so longer inputs are cut
// here to keep every run under a second.
constexpr size_t maxCodeUnits = 2048;

struct Lesson
{
    QString text;
    QString pattern;
};

Lesson decode(const uint8_t *data, size_t size)
{
    Lesson lesson;
    QString *into = &lesson.text;
    const size_t units = std::min(size / 2, maxCodeUnits);
    for (size_t i = 0; i < units; ++i) {
        const ushort unit = ushort(data[2 * i] | data[2 * i + 1] << 8);
        if (unit != 0)
            *into += QChar(unit);
        else
            into = &lesson.pattern;
    }
    return lesson;
}

// step: the exponent k of a round, or the index of a pattern letter.
void check(bool ok, const char *what, int step)
{
    if (ok)
        return;
    std::fprintf(stderr, "engine disagrees with brute force: %s (step %d)\n", what, step);
    std::abort();
}

// The cyclic shifts of s in ascending order, each with the length of its common
// prefix with the shift before it (or INT_MAX when the two read the same forever).
struct SortedShifts
{
    QVector<int> starts;
    QVector<int> commonWithPrevious;
};

SortedShifts sortShifts(const std::u16string &s)
{
    const int n = int(s.size());
    const std::u16string twice = s + s;
    const std::u16string_view all(twice);
    auto shift = [&](int p) { return all.substr(size_t(p), size_t(n)); };

    SortedShifts sorted;
    sorted.starts.resize(n);
    std::iota(sorted.starts.begin(), sorted.starts.end(), 0);
    std::sort(sorted.starts.begin(), sorted.starts.end(),
              [&](int a, int b) { return shift(a) < shift(b); });
    sorted.commonWithPrevious.fill(0, n);
    for (int i = 1; i < n; ++i) {
        const std::u16string_view a = shift(sorted.starts[i - 1]);
        const std::u16string_view b = shift(sorted.starts[i]);
        int common = 0;
        while (common < n && a[size_t(common)] == b[size_t(common)])
            ++common;
        sorted.commonWithPrevious[i] = common == n ? INT_MAX : common;
    }
    return sorted;
}

// By position: the dense rank of its cyclic fragment of length len. Ordering
// the shifts in full orders their fragments of every length too, with equal
// fragments side by side; a new rank starts where a shift shares fewer than
// len code units with the one before.
QVector<int> fragmentRanks(const SortedShifts &sorted, int len)
{
    QVector<int> ranks(sorted.starts.size());
    int rank = 0;
    for (int i = 0; i < sorted.starts.size(); ++i) {
        if (i > 0 && sorted.commonWithPrevious[i] < len)
            ++rank;
        ranks[sorted.starts[i]] = rank;
    }
    return ranks;
}

// After the round with exponent k: classes are the ranks of the fragments of
// length 2^(k+1), order lists every position once, by class.
void checkRound(const SortedShifts &sorted, int k)
{
    const int n = sorted.starts.size();
    check(suffArr.order.size() == n && suffArr.classes.size() == n, "vector sizes", k);
    check(suffArr.counts == QVector<int>(n, 0), "counters not cleared", k);
    const QVector<int> ranks = fragmentRanks(sorted, 1 << (k + 1));
    check(suffArr.classes == ranks, "classes", k);
    check(suffArr.numClasses == *std::max_element(ranks.begin(), ranks.end()) + 1,
          "number of classes", k);
    QVector<bool> seen(n, false);
    for (int i = 0; i < n; ++i) {
        const int p = suffArr.order[i];
        check(p >= 0 && p < n && !seen[p], "order is not a permutation", k);
        seen[p] = true;
        check(i == 0 || ranks[suffArr.order[i - 1]] <= ranks[p], "order not by class", k);
    }
    check(suffArr.order[0] == n - 1, "sentinel not first", k);
}

// The construction as the window's step button runs it: the initial round,
// then doubling rounds while the sorted fragments are shorter than s.
void construct(const QString &text)
{
    const QString s = text + QChar(0);
    const SortedShifts sorted = sortShifts(oracle::units(s));
    int k = -1;
    do {
        suffArr.sortRound(s, k);
        checkRound(sorted, k);
        ++k;
    } while ((1 << k) < s.size());
    suffArr.storeSuffixArray();

    check(suffArr.suffixArray == oracle::suffixArray(text), "suffix array", k);
    check(suffArr.rankOf.size() == text.size(), "inverse size", k);
    for (int r = 0; r < text.size(); ++r)
        check(suffArr.rankOf[suffArr.suffixArray[r]] == r, "inverse", k);
}

// The search as the window runs it, one pattern letter per step. Brute force
// keeps the text positions where the pattern read so far occurs; the range
// must hold exactly their rows, or be empty when there are none.
void search(const QString &text, const QString &pattern)
{
    const int rows = suffArr.suffixArray.size();
    QVector<int> starts(text.size());
    std::iota(starts.begin(), starts.end(), 0);
    int left = 0;
    int right = rows;
    for (int k = 0; k < pattern.size(); ++k) {
        const int oldLeft = left;
        const int oldRight = right;
        suffArr.narrowRange(left, right, pattern, k);
        check(left >= 0 && left <= rows && right >= 0 && right <= rows, "range out of bounds", k);
        check(left >= oldLeft && right <= oldRight, "range widened", k);

        auto mismatch = [&](int p) { return p + k >= text.size() || text[p + k] != pattern[k]; };
        starts.erase(std::remove_if(starts.begin(), starts.end(), mismatch), starts.end());
        if (starts.isEmpty()) {
            check(left >= right, "range not empty", k);
            continue;
        }
        int first = rows;
        int last = -1;
        for (int p : starts) {
            first = std::min(first, suffArr.rankOf[p]);
            last = std::max(last, suffArr.rankOf[p]);
        }
        check(left == first && right == last + 1 && right - left == starts.size(), "range", k);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Lesson lesson = decode(data, size);
    construct(lesson.text);
    search(lesson.text, lesson.pattern);
    return 0;
}
