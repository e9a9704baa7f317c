#ifndef ORACLE_H
#define ORACLE_H

// Brute-force answers to check the engine and the window against: plain
// comparisons of UTF-16 code units as unsigned numbers, nothing clever.

#include <QString>
#include <QStringView>
#include <QVector>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
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

// By position: the dense rank of its fragment of length len, read cyclically.
inline QVector<int> fragmentRanks(const QString &s, int len)
{
    const std::u16string u = units(s) + units(s);
    std::vector<std::u16string> fragments;
    for (int p = 0; p < s.size(); ++p)
        fragments.push_back(u.substr(size_t(p), size_t(std::min(len, int(s.size())))));
    // Fragments longer than s repeat it, so its first s.size() units decide.
    std::vector<std::u16string> distinct = fragments;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    QVector<int> ranks;
    for (const std::u16string &f : fragments)
        ranks << int(std::lower_bound(distinct.begin(), distinct.end(), f) - distinct.begin());
    return ranks;
}

// The rows [first, last) of the suffix array whose suffixes begin with prefix; (0, 0) if none.
inline std::pair<int, int> rowsStartingWith(const QString &text, const QVector<int> &sa,
                                            const QString &prefix)
{
    int first = -1;
    int last = 0;
    for (int r = 0; r < sa.size(); ++r) {
        if (QStringView(text).mid(sa[r]).startsWith(prefix)) {
            first = first < 0 ? r : first;
            last = r + 1;
        }
    }
    return {std::max(first, 0), last};
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
