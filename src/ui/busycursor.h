#pragma once

namespace vela {

// The hourglass pointer for the length of an action that touches the
// database; nested uses share one override. Suspend puts the normal arrow
// back while a message box is open.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    static bool active();

    class Suspend {
      public:
        Suspend();
        ~Suspend();
        Suspend(const Suspend&) = delete;
        Suspend& operator=(const Suspend&) = delete;

      private:
        bool wasActive_;
    };
};

}  // namespace vela
