#ifndef ORACLE_H
#define ORACLE_H

// Brute-force answers to check the engine and the window against: plain
// comparisons of UTF-16 code units as unsigned numbers, nothing clever; and
// whole constructions and searches on the engine, checked step by step.

#include "suffarr.h"

#include <algorithm>
#include <numeric>
#include <random>
#include <string_view>

namespace oracle {

// The code units of s from `from` on: `length` of them, or all (size_t(-1) is npos).
inline std::u16string_view units(const QString &s, int from = 0, int length = -1)
{
    return std::u16string_view(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()))
        .substr(size_t(from), size_t(length));
}

// Positions 0 to n - 1, ordered by less.
template<class Less>
QVector<int> sorted(int n, Less less)
{
    QVector<int> positions(n);
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), less);
    return positions;
}

// Text positions ordered by their suffixes.
inline QVector<int> suffixArray(const QString &text)
{
    return sorted(text.size(), [&](int a, int b) { return units(text, a) < units(text, b); });
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
    const QVector<int> order = sorted(s.size(), [&](int a, int b) { return fragment(a) < fragment(b); });
    QVector<int> ranks(s.size());
    for (int i = 0, rank = 0; i < s.size(); ++i) {
        rank += i > 0 && fragment(order[i - 1]) != fragment(order[i]);
        ranks[order[i]] = rank;
    }
    return ranks;
}

// Builds text on the engine round by round, as the window does, checking
// every round and the result; returns the first fault, if any.
inline QString constructionFault(const QString &text)
{
    const QString s = text + QChar(0);
    for (int k = -1; k < 0 || (1 << k) < s.size(); ++k) {
        suffArr.sortRound(s, k);
        const QVector<int> ranks = fragmentRanks(s, 1 << (k + 1));
        QVector<int> order = suffArr.order;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return ranks[a] < ranks[b]; });
        if (suffArr.classes != ranks || suffArr.numClasses != *std::max_element(ranks.begin(), ranks.end()) + 1
            || suffArr.counts != QVector<int>(s.size(), 0) || order != suffArr.order
            || !std::is_permutation(order.begin(), order.end(), sorted(s.size(), std::less<int>()).begin()))
            return QStringLiteral("round %1").arg(k);
    }
    suffArr.storeSuffixArray();
    const QVector<int> rows = suffixArray(text);
    const QVector<int> inverse = sorted(text.size(), [&](int a, int b) { return rows[a] < rows[b]; });
    return suffArr.suffixArray == rows && suffArr.rankOf == inverse ? QString() : QStringLiteral("suffix array");
}

// Searches the text just built for the pattern letter by letter, as the
// window does: the range must hold exactly the rows whose suffixes begin with
// the letters read, or be empty within the rows when none do.
inline QString searchFault(const QString &text, const QString &pattern)
{
    const QVector<int> rows = suffixArray(text);
    int left = 0;
    int right = rows.size();
    for (int k = 0; k < pattern.size(); ++k) {
        suffArr.narrowRange(left, right, pattern, k);
        const QVector<int> starts = occurrences(text, pattern.left(k + 1));
        QVector<int> matching; // rows whose suffixes begin with the letters read
        for (int r = 0; r < rows.size(); ++r)
            if (starts.contains(rows[r]))
                matching << r;
        const bool exact = matching.isEmpty()
            ? left >= right && left <= rows.size() && right >= 0
            : left == matching.first() && right == matching.last() + 1 && matching.size() == right - left;
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
    explicit TextSource(unsigned seed) : random(seed) {}

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

    // A pattern that mostly occurs in the text, sometimes with a changed letter.
    QString patternFor(const QString &text)
    {
        QString p = !text.isEmpty() && pick(0, 3) ? text.mid(pick(0, text.size()), pick(1, 8)) : this->text(pick(1, 8));
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
