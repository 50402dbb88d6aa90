// What the search tells the front end, and asks of it. These are declared
// here and defined by the front end (uci/report.cpp), so that the search
// never includes the layer above it and prints nothing itself.
#pragma once

#include "search/search.h"

namespace velta {

// A root move improved: the line in ctx.state.pv with its score, a lower
// bound when the iteration goes on.
void report_iteration(const SearchContext& ctx, int score, bool lower_bound);
// Every 2000000 nodes: the root move being searched.
void report_progress(const SearchContext& ctx);
// At a poll: whether input waits, or has closed under a search that would
// never end, either of which stops the search (sets ctx.state.stop).
void poll_input(SearchContext& ctx);

}  // namespace velta
