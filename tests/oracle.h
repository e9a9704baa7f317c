#ifndef ORACLE_H
#define ORACLE_H

// Brute-force answers to check the engine and the window against: plain
// comparisons of UTF-16 code units as unsigned numbers, nothing clever.

#include <QString>
#include <QVector>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>

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
              [&](int a, int b) { return t.compare(a, std::u16string::npos, t, b) < 0; });
    return positions;
}

// The fragment of length len at position p of s, read cyclically.
inline std::u16string fragment(const std::u16string &s, int p, int len)
{
    std::u16string f;
    for (int i = 0; i < len; ++i)
        f += s[(size_t(p) + size_t(i)) % s.size()];
    return f;
}

// By position: the dense rank of its cyclic fragment of length len among all fragments.
inline QVector<int> fragmentRanks(const QString &s, int len)
{
    const std::u16string u = units(s);
    std::vector<std::u16string> fragments;
    for (int p = 0; p < s.size(); ++p)
        fragments.push_back(fragment(u, p, len));
    std::vector<std::u16string> distinct = fragments;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    QVector<int> ranks;
    for (const std::u16string &f : fragments)
        ranks << int(std::lower_bound(distinct.begin(), distinct.end(), f) - distinct.begin());
    return ranks;
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

// Seeded random texts over one of several alphabets; never U+0000.
class TextSource
{
public:
    explicit TextSource(unsigned seed) : random(seed) {}

    QString text(int length)
    {
        static const QString alphabets[] = {
            QStringLiteral("ab"), QStringLiteral("abc"), QStringLiteral("acgt"),
            QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
            QStringLiteral("абвгдеёжАБЁЯя"),
            QStringLiteral("aA#<&") + QString::fromUtf8("😀ж"),
        };
        const int alphabetCount = int(std::size(alphabets));
        const int choice = pick(0, alphabetCount + 1);
        QString s;
        for (int i = 0; i < length; ++i) {
            if (choice == alphabetCount) // any code unit but the sentinel
                s += QChar(ushort(pick(1, 0x10000)));
            else
                s += alphabets[choice].at(pick(0, alphabets[choice].size()));
        }
        return s;
    }

    // A pattern that mostly occurs in the text, sometimes with a changed letter.
    QString patternFor(const QString &text)
    {
        const int length = pick(1, 8);
        QString p;
        if (!text.isEmpty() && pick(0, 3) != 0) {
            const int start = pick(0, text.size());
            p = text.mid(start, length);
        } else {
            p = this->text(length);
        }
        if (!p.isEmpty() && pick(0, 4) == 0)
            p[pick(0, p.size())] = QChar(ushort(pick(1, 0x500)));
        return p.isEmpty() ? QStringLiteral("a") : p;
    }

    // A number in [from, to).
    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to - 1)(random); }

private:
    std::mt19937 random;
};

} // namespace oracle

#endif // ORACLE_H
