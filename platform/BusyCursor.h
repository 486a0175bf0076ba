#pragma once
// The platform's busy cursor over every window of the program while long work
// holds the user-interface thread without a progress window (reading a large
// map). It is shown at once, although no events are dispatched until the
// work ends, and the previous cursor comes back on every way out.

class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
