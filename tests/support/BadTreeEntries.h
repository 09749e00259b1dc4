#pragma once

// Item strings that stand for no entry of the library and Work Space trees: every reader of
// entries (the tree's click and change handlers, the view's drops and double-clicks, the Work
// Space item of a new history entry) must pass them over, never take them for index 0.

namespace kvtest {

inline constexpr const char* kBadTreeEntries[] = {
    "",          "H",           "Hx",     "M-1",   "PDB#a",     "PDB#",   "PDB#a#", "F3x",
    "M 3",       "H4294967296", "Q5",     "_fold", "#H4",       "h4",     "PDB#a#b#c#", "F+3",
};

}  // namespace kvtest
