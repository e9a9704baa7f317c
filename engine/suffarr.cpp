#include "suffarr.h"

#include <algorithm>
#include <numeric>

SuffArr suffArr;
QString sortText;

namespace {

// Reading past the end of a string gives the sentinel.
ushort codeUnitAt(const QString &s, int i)
{
    return i < s.size() ? s.at(i).unicode() : 0;
}

} // namespace

bool lessByChar(int a, int b)
{
    return codeUnitAt(sortText, a) < codeUnitAt(sortText, b);
}

void SuffArr::sortRound(const QString &s, int k)
{
    if (k < 0)
        sortByFirstCodeUnit(s);
    else
        doubleFragments(1 << k);
}

void SuffArr::sortByFirstCodeUnit(const QString &s)
{
    text = s;
    sortText = s;
    const int n = s.size();

    order.fill(0, n);
    counts = shiftedOrder = newClasses = classes = order;

    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), lessByChar);

    numClasses = 1;
    classes[order[0]] = 0;
    for (int i = 1; i < n; ++i) {
        if (s.at(order[i]) != s.at(order[i - 1]))
            ++numClasses;
        classes[order[i]] = numClasses - 1;
    }
}

void SuffArr::doubleFragments(int shift)
{
    const int n = order.size();

    // Ordered by fragments of length shift, the positions moved back by shift
    // list the fragments of length 2 * shift by their second halves.
    for (int i = 0; i < n; ++i) {
        const int p = order[i] - shift;
        shiftedOrder[i] = p < 0 ? p + n : p;
    }

    for (int i = 0; i < n; ++i)
        ++counts[classes[shiftedOrder[i]]];
    for (int c = 1; c < numClasses; ++c)
        counts[c] += counts[c - 1];
    // Placing from the back keeps the sort stable: positions with the same
    // first half keep the order of their second halves.
    for (int i = n - 1; i >= 0; --i) {
        const int p = shiftedOrder[i];
        order[--counts[classes[p]]] = p;
    }
    counts.fill(0);

    numClasses = 1;
    newClasses[order[0]] = 0;
    for (int i = 1; i < n; ++i) {
        const int b = order[i];
        const int a = order[i - 1];
        const bool newClass =
            classes[b] != classes[a] || classes[(b + shift) % n] != classes[(a + shift) % n];
        if (newClass)
            ++numClasses;
        newClasses[b] = numClasses - 1;
    }
    classes.swap(newClasses);
}

void SuffArr::storeSuffixArray()
{
    suffixArray.resize(order.size() - 1);
    rankOf = suffixArray;
    for (int i = 1; i < order.size(); ++i) {
        suffixArray[i - 1] = order[i];
        rankOf[order[i]] = i - 1;
    }
}

int SuffArr::letterOfRow(int row, int k) const
{
    const int p = suffixArray[row] + k;
    return p < text.size() ? text.at(p).unicode() : -1;
}

void SuffArr::narrowRange(int &left, int &right, const QString &pattern, int k) const
{
    const int c = codeUnitAt(pattern, k);
    const int rows = suffixArray.size();

    // Each edge moves inward one row at a time rather than by halving: a row
    // that leaves the range is read once, so a whole search costs no more
    // than the rows it drops, and an edge that finds no match runs on to the
    // far end, which is where the range of an empty result is known to lie.
    // A row without letter k is stepped over here and dropped below.
    while (left < rows) {
        const int t = letterOfRow(left, k);
        if (t >= 0 && c <= t)
            break;
        ++left;
    }
    while (right > 0) {
        const int t = letterOfRow(right - 1, k);
        if (t >= 0 && t <= c)
            break;
        --right;
    }
}
