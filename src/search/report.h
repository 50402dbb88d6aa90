// What the search tells the front end, and asks of it. These are declared
// here and defined by the front end (uci/report.cpp), so that the search
// never includes the layer above it and prints nothing itself.
#pragma once

#include "search/search.h"

namespace velta {

// A root move improved: the line in ctx.state.pv with its score, a lower
// bound when the iteration goes on.
void report_iteration(const SearchContext& ctx, int score, bool lower_bound);
// Line `index` of a MultiPV iteration (ctx.lines), its moves in ctx.state.pv.
void report_multipv(const SearchContext& ctx, int index);
// Every 2000000 nodes: the root move being searched.
void report_progress(const SearchContext& ctx);
// At a poll: reads the commands waiting on the input and acts on them: a
// readiness question is answered at once, "ponderhit" turns the search into
// a timed one, and "stop", "quit" or any other command stop the search (set
// ctx.state.stop); so does the end of input under a search that would never end.
void poll_input(SearchContext& ctx);

}  // namespace velta
