#pragma once
// Shows the busy cursor for as long as the guard lives. Guards nest: the cursor comes back
// when the outermost one ends.
namespace tuxia {

class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace tuxia
