#ifndef ORACLE_H
#define ORACLE_H

// Brute-force answers to check the engine and the window against: plain
// comparisons of UTF-16 code units as unsigned numbers, nothing clever; and
// whole constructions and searches on the engine, checked step by step.

#include "suffarr.h"

#include <QString>
#include <QStringView>
#include <QVector>

#include <algorithm>
#include <climits>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <utility>

namespace oracle {

inline std::u16string units(const QString &s)
{
    return std::u16string(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()));
}

// Text positions ordered by their suffixes.
inline QVector<int> suffixArray(const QString &text)
{
    const std::u16string t = units(text);
    QVector<int> positions(text.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::sort(positions.begin(), positions.end(),
              [&](int a, int b) { return t.compare(size_t(a), t.npos, t, size_t(b)) < 0; });
    return positions;
}

// The cyclic shifts of s in ascending order, each with the length of its
// common prefix with the shift before it (INT_MAX when the two are equal).
struct SortedShifts
{
    QVector<int> starts;
    QVector<int> commonWithPrevious;
};

inline SortedShifts sortedShifts(const QString &s)
{
    const int n = s.size();
    const std::u16string twice = units(s) + units(s);
    const auto shift = [&](int p) { return std::u16string_view(twice).substr(size_t(p), size_t(n)); };
    SortedShifts sorted;
    sorted.starts.resize(n);
    std::iota(sorted.starts.begin(), sorted.starts.end(), 0);
    std::sort(sorted.starts.begin(), sorted.starts.end(), [&](int a, int b) { return shift(a) < shift(b); });
    sorted.commonWithPrevious.fill(0, n);
    for (int i = 1; i < n; ++i) {
        const auto a = shift(sorted.starts[i - 1]);
        const auto b = shift(sorted.starts[i]);
        const int common = int(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin());
        sorted.commonWithPrevious[i] = common == n ? INT_MAX : common;
    }
    return sorted;
}

// By position: the dense rank of its cyclic fragment of length len. Sorted
// shifts sort their fragments of every length too; a new rank starts where a
// shift shares fewer than len code units with the one before.
inline QVector<int> fragmentRanks(const SortedShifts &sorted, int len)
{
    QVector<int> ranks(sorted.starts.size());
    for (int i = 0, rank = 0; i < sorted.starts.size(); ++i) {
        rank += i > 0 && sorted.commonWithPrevious[i] < len;
        ranks[sorted.starts[i]] = rank;
    }
    return ranks;
}

// What is wrong with the engine after the round that sorted fragments of this length, if anything.
inline QString roundFault(const SortedShifts &sorted, int fragmentLength)
{
    const int n = sorted.starts.size();
    const QVector<int> ranks = fragmentRanks(sorted, fragmentLength);
    if (suffArr.classes != ranks)
        return QStringLiteral("classes");
    if (suffArr.numClasses != *std::max_element(ranks.begin(), ranks.end()) + 1)
        return QStringLiteral("number of classes");
    if (suffArr.counts != QVector<int>(n, 0))
        return QStringLiteral("counters not cleared");
    QVector<bool> seen(n, false);
    for (int i = 0; i < n; ++i) {
        const int p = suffArr.order[i];
        if (p < 0 || p >= n || std::exchange(seen[p], true))
            return QStringLiteral("order is not a permutation");
        if (i > 0 && ranks[suffArr.order[i - 1]] > ranks[p])
            return QStringLiteral("order does not follow the classes");
    }
    return QString();
}

// Builds text on the engine round by round, as the window does, checking
// every round and the result; returns the first fault, if any.
inline QString constructionFault(const QString &text)
{
    const QString s = text + QChar(0);
    const SortedShifts sorted = sortedShifts(s);
    int k = -1;
    do {
        suffArr.sortRound(s, k);
        const QString fault = roundFault(sorted, 1 << (k + 1));
        if (!fault.isEmpty())
            return QStringLiteral("round %1: %2").arg(k).arg(fault);
    } while ((1 << ++k) < s.size());
    suffArr.storeSuffixArray();
    if (suffArr.suffixArray != suffixArray(text))
        return QStringLiteral("suffix array");
    for (int r = 0; r < text.size(); ++r)
        if (suffArr.rankOf[suffArr.suffixArray[r]] != r)
            return QStringLiteral("inverse of the suffix array");
    return QString();
}

// Searches the text just built for the pattern letter by letter, as the
// window does: the range must stay within the rows and hold exactly the rows
// whose suffixes begin with the letters read, or be empty when none do.
inline QString searchFault(const QString &text, const QString &pattern)
{
    const QVector<int> sa = suffixArray(text);
    QVector<int> rowOf(text.size());
    for (int r = 0; r < sa.size(); ++r)
        rowOf[sa[r]] = r;
    QVector<int> starts(text.size());
    std::iota(starts.begin(), starts.end(), 0);
    int left = 0;
    int right = sa.size();
    for (int k = 0; k < pattern.size(); ++k) {
        suffArr.narrowRange(left, right, pattern, k);
        starts.erase(std::remove_if(starts.begin(), starts.end(),
                                    [&](int p) { return p + k >= text.size() || text[p + k] != pattern[k]; }),
                     starts.end());
        int first = sa.size();
        int last = 0;
        for (int p : starts) {
            first = std::min(first, rowOf[p]);
            last = std::max(last, rowOf[p] + 1);
        }
        const bool exact = starts.isEmpty() ? left >= right
                                            : left == first && right == last && last - first == starts.size();
        if (!exact || left < 0 || left > sa.size() || right < 0 || right > sa.size())
            return QStringLiteral("letter %1: [%2, %3)").arg(k).arg(left).arg(right);
    }
    return QString();
}

// 0-based start positions of the pattern in the text, overlapping ones included.
inline QVector<int> occurrences(const QString &text, const QString &pattern)
{
    QVector<int> found;
    for (int i = 0; i + pattern.size() <= text.size(); ++i)
        if (QStringView(text).mid(i, pattern.size()) == pattern)
            found << i;
    return found;
}

// Seeded random texts over one of several alphabets, or over every code unit; never U+0000.
class TextSource
{
public:
    explicit TextSource(unsigned seed) : random(seed) {}

    QString text(int length)
    {
        static const QString alphabets[] = {
            QStringLiteral("ab"), QStringLiteral("acgt"), QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
            QStringLiteral("абвгдеёжАБЁЯя"), QStringLiteral("aA#<&") + QString::fromUtf8("😀ж")};
        const int count = int(std::size(alphabets));
        const int choice = pick(0, count + 1);
        QString s;
        for (int i = 0; i < length; ++i)
            s += choice == count ? QChar(ushort(pick(1, 0x10000)))
                                 : alphabets[choice].at(pick(0, alphabets[choice].size()));
        return s;
    }

    // A pattern that mostly occurs in the text, sometimes with a changed letter.
    QString patternFor(const QString &text)
    {
        QString p = !text.isEmpty() && pick(0, 3) ? text.mid(pick(0, text.size()), pick(1, 8))
                                                  : this->text(pick(1, 8));
        if (pick(0, 4) == 0)
            p[pick(0, p.size())] = QChar(ushort(pick(1, 0x500)));
        return p;
    }

    // A number in [from, to).
    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to - 1)(random); }

private:
    std::mt19937 random;
};

} // namespace oracle

#endif // ORACLE_H
