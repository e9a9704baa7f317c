// Times the engine alone: a whole construction (every round) and a whole
// search, for texts of several lengths. Prints a table; asserts nothing.

#include "suffarr.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

QString randomText(int length, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter('a', 'z');
    QString text(length, Qt::Uninitialized);
    for (QChar &c : text)
        c = QChar(letter(random));
    return text;
}

struct Timing
{
    double constructionMs = 0;
    double doublingNsPerPosition = 0; // mean over the doubling rounds
    double searchUs = 0;
    int rounds = 0;
};

Timing measureOnce(const QString &text, const QString &pattern)
{
    Timing t;
    const QString s = text + QChar(0);
    QElapsedTimer clock;
    clock.start();
    suffArr.sortRound(s, -1);
    const qint64 afterInitial = clock.nsecsElapsed();
    int k = 0;
    for (; (1 << k) < s.size(); ++k)
        suffArr.sortRound(s, k);
    const qint64 afterDoubling = clock.nsecsElapsed();
    suffArr.storeSuffixArray();
    t.constructionMs = clock.nsecsElapsed() / 1e6;
    t.rounds = k + 1;
    if (k > 0)
        t.doublingNsPerPosition = double(afterDoubling - afterInitial) / k / s.size();

    clock.restart();
    int left = 0;
    int right = suffArr.suffixArray.size();
    for (int i = 0; i < pattern.size(); ++i)
        suffArr.narrowRange(left, right, pattern, i);
    t.searchUs = clock.nsecsElapsed() / 1e3;
    return t;
}

template<class Field>
double median(std::vector<Timing> runs, Field field)
{
    std::sort(runs.begin(), runs.end(),
              [&](const Timing &a, const Timing &b) { return a.*field < b.*field; });
    return runs[runs.size() / 2].*field;
}

} // namespace

// Lengths may be given as arguments; by default 1000, 32767 and 1000000.
int main(int argc, char *argv[])
{
    std::vector<int> lengths;
    for (int i = 1; i < argc; ++i)
        lengths.push_back(std::atoi(argv[i]));
    if (lengths.empty())
        lengths = {1000, 32767, 1000000};

    std::printf("%10s %7s %16s %20s %16s\n", "length", "rounds", "construction ms", "doubling ns/position",
                "search us");
    for (int length : lengths) {
        const QString text = randomText(length, 7);
        const QString pattern = text.mid(length / 2, 6);
        std::vector<Timing> runs;
        for (int run = 0; run < (length > 100000 ? 5 : 21); ++run)
            runs.push_back(measureOnce(text, pattern));
        std::printf("%10d %7d %16.3f %20.2f %16.1f\n", length, runs.front().rounds,
                    median(runs, &Timing::constructionMs), median(runs, &Timing::doublingNsPerPosition),
                    median(runs, &Timing::searchUs));
    }
    return 0;
}
