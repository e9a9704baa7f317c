#ifndef ORACLE_H
#define ORACLE_H

// Answers to check the engine and the window against, from code that shares
// nothing with it: libdivsufsort's suffix order and what follows from it in
// linear time, brute force, and constructions and searches checked step by step.

#include "suffarr.h"

#include <QStringList>
#include <QtEndian>

#include <divsufsort.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string_view>
#include <vector>

namespace oracle {

// The code units of s from `from` on: `length` of them, or all (size_t(-1) is npos).
inline std::u16string_view units(const QString &s, int from = 0, int length = -1)
{
    return std::u16string_view(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()))
        .substr(size_t(from), size_t(length));
}

// 0-based start positions of the pattern in the text, overlapping ones included.
inline QVector<int> occurrences(const QString &text, const QString &pattern)
{
    QVector<int> found;
    for (int i = 0; i + pattern.size() <= text.size(); ++i)
        if (units(text, i, pattern.size()) == units(pattern))
            found << i;
    return found;
}

// By position: the dense rank of the cyclic fragment of the given length that starts there.
inline QVector<int> fragmentRanks(const QString &s, int length)
{
    const QString twice = s + s;
    const auto fragment = [&](int p) { return units(twice, p, std::min(length, int(s.size()))); };
    QVector<int> order(s.size()), ranks(s.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return fragment(a) < fragment(b); });
    for (int i = 1; i < s.size(); ++i)
        ranks[order[i]] = ranks[order[i - 1]] + (fragment(order[i - 1]) != fragment(order[i]));
    return ranks;
}

// Text positions ordered by their suffixes. libdivsufsort sorts bytes: with
// every code unit written high byte first, the suffixes at even byte offsets
// sort as their code units do, a prefix before the longer suffix.
inline QVector<int> suffixArray(const QString &text)
{
    std::vector<sauchar_t> bytes(2 * size_t(text.size()));
    qToBigEndian<ushort>(text.utf16(), text.size(), bytes.data());
    std::vector<saidx_t> byteOrder(bytes.size());
    divsufsort(bytes.data(), byteOrder.data(), saidx_t(bytes.size()));
    QVector<int> positions;
    for (const saidx_t offset : byteOrder)
        if (offset % 2 == 0)
            positions << offset / 2;
    return positions;
}

// The answer's ingredients for the pattern in the text: by position, the
// row of its suffix in suffix order, and the half-open range of the rows
// whose suffixes begin with the pattern (empty at 0 when none do).
struct Matches
{
    QVector<int> rankOf;
    int left = 0;
    int right = 0;
};

inline Matches matches(const QString &text, const QString &pattern)
{
    const QVector<int> rows = suffixArray(text);
    Matches found{QVector<int>(text.size())};
    for (int row = 0; row < rows.size(); ++row) {
        found.rankOf[rows[row]] = row;
        if (QStringView(text).mid(rows[row]).startsWith(pattern)) {
            found.left = found.left < found.right ? found.left : row;
            found.right = row + 1;
        }
    }
    return found;
}

// By position in s, a text that ends with a unique sentinel: how many code
// units its suffix shares with the one in the row before in the suffix array
// `rows` (Kasai's algorithm, in its form that walks the text rather than the
// rows). The sentinel ends every comparison.
inline QVector<int> commonPrefixes(const QString &s, const QVector<int> &rows)
{
    QVector<int> before(s.size()), common(s.size());
    for (int row = 1; row < rows.size(); ++row)
        before[rows[row]] = rows[row - 1];
    for (int p = 0, shared = 0; p + 1 < s.size(); ++p, shared = std::max(shared - 1, 0)) {
        while (s.at(p + shared) == s.at(before[p] + shared))
            ++shared;
        common[p] = shared;
    }
    return common;
}

// The same as fragmentRanks(s, length) in linear time: as the sentinel is also
// the smallest code unit, the fragments order as their suffixes do, and two are
// equal exactly when their suffixes are neighbours sharing `length` code units.
inline QVector<int> roundClasses(const QVector<int> &rows, const QVector<int> &common, int length)
{
    QVector<int> ranks(rows.size());
    for (int row = 1, rank = 0; row < rows.size(); ++row)
        ranks[rows[row]] = rank += common[rows[row]] < length;
    return ranks;
}

// Builds text on the engine round by round, as the window does, checking
// every round and the result; returns the first fault, if any.
inline QString constructionFault(const QString &text)
{
    const QString s = text + QChar(0);
    const QVector<int> rows = suffixArray(s), common = commonPrefixes(s, rows);
    for (int k = -1; k < 0 || (1 << k) < s.size(); ++k) {
        suffArr.sortRound(s, k);
        const QVector<int> ranks = roundClasses(rows, common, 1 << (k + 1));
        const QVector<int> &order = suffArr.order; // every position once, by ascending class
        std::vector<int> listed(s.size());
        bool ordered = order.size() == s.size();
        for (int i = 0; ordered && i < s.size(); ++i)
            ordered = order[i] >= 0 && order[i] < s.size() && !listed[order[i]]++
                && (i == 0 || ranks[order[i - 1]] <= ranks[order[i]]);
        if (!ordered || suffArr.classes != ranks
            || suffArr.numClasses != *std::max_element(ranks.begin(), ranks.end()) + 1
            || std::count(suffArr.counts.cbegin(), suffArr.counts.cend(), 0) != s.size())
            return QStringLiteral("round %1").arg(k);
    }
    suffArr.storeSuffixArray();
    bool stored = suffArr.suffixArray == rows.mid(1) && suffArr.rankOf.size() == text.size();
    for (int row = 0; stored && row < text.size(); ++row)
        stored = suffArr.rankOf[suffArr.suffixArray[row]] == row;
    return stored ? QString() : QStringLiteral("suffix array");
}

// Searches the text just built and checked for the pattern letter by letter,
// as the window does: the range must hold exactly the rows whose suffixes
// begin with the letters read, or be empty within the rows when none do.
inline QString searchFault(const QString &text, const QString &pattern)
{
    const QVector<int> &rows = suffArr.suffixArray;
    int left = 0, right = rows.size(), first = 0, last = rows.size(); // [first, last): the rows matched
    for (int k = 0; k < pattern.size(); ++k) {
        suffArr.narrowRange(left, right, pattern, k);
        const auto matches = [&](int row) {
            return rows[row] + k < text.size() && text.at(rows[row] + k) == pattern.at(k);
        };
        while (first < last && !matches(first))
            ++first;
        while (first < last && !matches(last - 1))
            --last;
        const bool exact = first < last ? left == first && right == last
                                        : left >= right && left <= rows.size() && right >= 0;
        if (!exact)
            return QStringLiteral("letter %1: [%2, %3)").arg(k).arg(left).arg(right);
    }
    return QString();
}

// Seeded random texts over one of several alphabets, or over every code unit
// but U+0000.
class TextSource
{
public:
    explicit TextSource(unsigned seed)
        : random(seed)
    {
    }

    // Over the alphabet, when given.
    QString text(int length, QString alphabet = QString())
    {
        static const QString alphabets[] = {"ab", "acgt", "abcdefghijklmnopqrstuvwxyz", "абвгдеёжАБЁЯя",
                                            QString::fromUtf8("aA#<& \"\t😀ж")};
        if (alphabet.isNull() && pick(0, 6) < 5)
            alphabet = alphabets[pick(0, 5)];
        QString s;
        for (int i = 0; i < length; ++i)
            s += alphabet.isNull() ? QChar(ushort(pick(1, 0x10000))) : alphabet.at(pick(0, alphabet.size()));
        return s;
    }

    // Pieces picked at random, words or clusters, cut to the length.
    QString text(int length, const QStringList &pieces)
    {
        QString s;
        while (s.size() < length)
            s += pieces.at(pick(0, pieces.size()));
        return s.left(length);
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
