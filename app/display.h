#ifndef DISPLAY_H
#define DISPLAY_H

// What the window shows, computed without widgets.

#include <QString>
#include <QVector>

// What the help box says of suffix arrays and of the search, in rich text:
// five paragraphs, one to a line.
QString helpText();

// The built text followed by the display terminator "#".
QString withDisplayTerminator(const QString &text);

// The text as the text field shows it, on one line: control characters, line
// and paragraph separators and the object placeholder show as blanks.
QString shownOnOneLine(QString text);

// The message after a construction round that sorted fragments of this length.
QString roundMessage(int fragmentLength);

// The message after a search step over the pattern letter with this 1-based number.
QString searchStepMessage(int letterNumber, const QString &letter);

// The character that the code unit at i is part of: a surrogate pair whole,
// as half of one alone is no text that can be shown or read, else the code
// unit itself.
QString characterAt(const QString &text, int i);

// The letter that makes the widest search message, for measuring room for any:
// the widest capital of the Russian alphabet.
const QChar widestLetter(0x0428);

struct Answer
{
    QString html;  // the text with the start of each occurrence in red, then the positions
    QString plain; // what the answer reads as, without its colours
    // The line that html reads as, after the heading: the text's letters as
    // answerLetters gives them, which of them are red, and what follows
    // them, the positions.
    QString letters;
    QVector<bool> red;
    QString positions;
};

// The answer of a search whose final candidate range is [left, right): an
// occurrence starts at position i of text exactly when rankOf[i] lies in the
// range, and its first letter is red, with the rest of the character shown
// there (a surrogate pair's other half, marks); the 1-based positions of the
// occurrences follow in text order. Each letter is escaped, white space
// included, so that it shows as the text field shows it, and gets a font
// element of its own; in a text of more than 4096 letters, neighbouring
// letters of one colour share one. rankOf must cover every position of text.
Answer composeAnswer(const QString &text, const QVector<int> &rankOf, int left, int right);
// The text's letters as the answer's line holds them once its markup is
// read: each blank a no-break space.
QString answerLetters(QString text);

#endif // DISPLAY_H
