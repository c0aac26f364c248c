// Watches the heap for a text that is let go unwiped: while a watch lives, every block freed
// through operator delete is searched for its marker. A test program that uses it links
// tests/support/FreedTextWatch.cpp, which replaces the global operator new and delete.
#pragma once

class TFreedTextWatch {
public:
    // Marker must outlive the watch (a literal); texts under 16 bytes may never reach the heap.
    explicit TFreedTextWatch(const char* Marker);
    ~TFreedTextWatch();
    TFreedTextWatch(const TFreedTextWatch&) = delete;
    TFreedTextWatch& operator=(const TFreedTextWatch&) = delete;

    // Freed blocks that still held the marker since the watch began.
    int Hits() const;
};
