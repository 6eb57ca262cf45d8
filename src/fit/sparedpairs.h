// The pairs read from the table and their fitted values, let go while a
// command builds a whole new table beside the old one (a paste or a read of
// ten million rows would hold 270 MB of them through its peak). The command's
// recalculation reads the new table; should the table come out as it was
// (Cancel, nothing to paste, a file refused, no memory) they are read and
// fitted again at once, as the last run had them. Small tables keep theirs.
#pragma once

#include <cstdint>

#include "app/formmain.h"

class TFormMain::SparedPairs {
  public:
    explicit SparedPairs(TFormMain& form);
    ~SparedPairs();
    SparedPairs(const SparedPairs&) = delete;
    SparedPairs& operator=(const SparedPairs&) = delete;

    // Tables with fewer pairs keep them: reading them again would cost more
    // than they hold.
    static constexpr std::size_t kFrom = 65536;

  private:
    TFormMain& form_;
    bool spared_ = false;
    std::uint64_t revision_ = 0;
};
