#pragma once
// The text of the receive filter file: a comment header, then one line per
// filter ("Fstart Fstop enabled"); lines starting with ';' are comments, and
// blank lines are no filter's.
#include <string>
#include <string_view>
#include <vector>

#include "core/record/filter_table.h"

namespace config {

inline constexpr const char* kFilterHeader =
    ";Fstart(hz)\tFstop         enabled   : 1= abilitata, l'ordine delle righe corrisponde al filtro di "
    "attivazione   j23 ultimo by pass (0 ,54000000)  verso esterno\n";

struct FilterLine {
    core::FilterRow row;
    // All three fields were read; a line missing one reads the missing ones as 0.
    bool complete = false;
};

// Every data line of the text, in order: neither a comment nor blank.
[[nodiscard]] std::vector<FilterLine> filterLinesOf(std::string_view text);
// The table a filter file gives: its first eight data lines, every row it
// does not fill disabled with an empty range.
[[nodiscard]] core::FilterRows filterRowsOf(std::string_view text);
// A line of a file offered for loading: both frequencies not negative and
// the enable flag 0 or 1.
[[nodiscard]] bool filterLinePasses(const FilterLine& line);
[[nodiscard]] std::string filterFileText(const core::FilterRows& rows);

}  // namespace config
