#ifndef HUGEPAGES_H
#define HUGEPAGES_H

// The first round over a long text makes tens of thousands of items at
// once, the table's cells, in memory the process touches for the first
// time: the system faults in each 4 KiB page of it, which costs a few
// milliseconds on most machines and over twenty on some virtual ones. Where
// the system offers huge pages (Linux with glibc), the heap is grown once by
// 64 MiB at start, which costs nothing until it is touched, and marked for
// huge pages, 2 MiB to a fault. Elsewhere this does nothing.
void prepareHeapForHugePages();

#endif // HUGEPAGES_H
