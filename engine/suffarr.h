#ifndef SUFFARR_H
#define SUFFARR_H

#include <QString>
#include <QVector>

// Suffix-array engine: prefix doubling over the cyclic shifts of a text that
// ends with the sentinel U+0000, one round per call, so that a caller can show
// the order and the classes after every round.
//
// Characters are UTF-16 code units compared as unsigned 16-bit numbers.
// The sentinel must occur only as the last code unit: it is the smallest code
// unit, so the order of the cyclic shifts is the order of the suffixes and the
// sentinel's own position always comes first.
class SuffArr
{
public:
    // Runs one round over s (the sentinel-terminated text, n = s.size()).
    // k == -1: the initial round; stores s in `text`, sizes every working
    //          vector to n and sorts the positions by their single code unit.
    // k >= 0:  a doubling round, allowed only while 2^k < n and only with a
    //          string of the initial round's length; sorts the fragments of
    //          length 2^(k+1) from those of length 2^k.
    // Afterwards order[0..n-1] lists the positions by their fragments of
    // length 2^(k+1), read cyclically, and classes[0..n-1] numbers those
    // fragments densely from 0 (equal fragments, equal numbers).
    void sortRound(const QString &s, int k);

    // Takes the finished order of the last round: suffixArray[0..n-2] gets
    // order[1..n-1] (the sentinel's own suffix, order[0], is left out) and
    // rankOf[0..n-2] its inverse. Call once 2^(k+1) >= n.
    void storeSuffixArray();

    // Narrows the half-open range [left, right) of suffixArray rows whose
    // suffixes begin with the first k letters of pattern to the rows that
    // begin with its first k + 1 letters; a missing pattern letter counts as
    // U+0000. Each edge moves inward one row at a time, neither bounded by the
    // other, so an empty result may leave left > right; both stay within
    // [0, suffixArray.size()], and an empty range stays empty.
    void narrowRange(int &left, int &right, const QString &pattern, int k) const;

    QVector<int> shiftedOrder; // scratch: order[i] moved back by the half length
    QVector<int> newClasses;   // scratch: the classes of the round before, between rounds
    QVector<int> counts;       // counting-sort counters by class; all 0 between rounds
    int numClasses = 0;        // distinct fragments after the last round
    QString text;              // the sentinel-terminated text of the construction
    QVector<int> order;        // positions in ascending order of their fragments
    QVector<int> classes;      // by position: the class of its fragment
    QVector<int> suffixArray;  // text positions in suffix order, the sentinel's left out
    QVector<int> rankOf;       // inverse of suffixArray: rankOf[suffixArray[r]] == r

private:
    void sortByFirstCodeUnit(const QString &s);
    void doubleFragments(int shift);
    // Letter k of the suffix in row r, or -1 when the suffix is too short.
    int letterOfRow(int row, int k) const;
};

// The one engine of the process.
extern SuffArr suffArr;

// A copy of the text of the current construction, read by lessByChar.
extern QString sortText;

// True when the code unit of sortText at a is below the one at b.
bool lessByChar(int a, int b);

#endif // SUFFARR_H
