// The pairs read from the table and their fitted values while a command
// builds a whole new table beside the old one. The old ones are let go (a
// paste or a read of ten million rows would hold 270 MB of them through its
// peak), and the new table's are read beside its building (Ahead), so that
// the command's recalculation need not read the table again. Should the
// table come out as it was (Cancel, nothing to paste, a file refused, no
// memory) the old ones are read and fitted again at once, as the last run had
// them. Small tables keep theirs. The heap's free memory is given back first,
// so that the command's peak does not stand on what earlier ones left.
#pragma once

#include <cstdint>

#include "app/formmain.h"
#include "core/pairs_beside.h"

class TFormMain::SparedPairs {
  public:
    explicit SparedPairs(TFormMain& form);
    ~SparedPairs();
    SparedPairs(const SparedPairs&) = delete;
    SparedPairs& operator=(const SparedPairs&) = delete;

    // Tables with fewer pairs keep them: reading them again would cost more
    // than they hold.
    static constexpr std::size_t kFrom = 65536;

    // Where the command reads the new table's pairs.
    kurv::PairsAhead* Ahead() { return &ahead_; }

  private:
    void Adopt();

    TFormMain& form_;
    kurv::PairsAhead ahead_;
    bool spared_ = false;
    std::uint64_t revision_ = 0;
};
