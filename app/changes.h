// changes.h - every change the program makes to the catalogue (add,
// replace, delete, move), each one locked crash-safe save of the file, and
// the run's history of them: undo goes back change by change to the file
// as the run found it, redo forward again, each step a save like any other.
// Before the run's first change a dated backup of the file is taken.
//
// A step that fails (full disk, read-only folder, the entry changed by
// another program) leaves the file, the caller's list and the history as
// they were and says why.
#pragma once
#include <vector>

#include "app/backups.h"
#include "app/catalogue.h"

enum class ChangeKind { add, replace, remove, move };

// One change as done, with what it takes to undo it: the entries are kept
// as stored (prepared), each with its number in the file after the step.
struct Change {
  ChangeKind kind = ChangeKind::add;
  TvString category;  // where the entry is; for a move where it came from
  TvString to;        // a move's target
  Snippet before;     // replace: the entry as it was; remove: the removed entry
  Snippet after;      // add, replace: the entry written; move: the moved entry
};

struct ChangeHistory {
  std::vector<Change> done;
  size_t position = 0;  // done[0 .. position) are in effect; the rest can be redone
  Backups backups;
};

// Each of these saves and, on success, records the change (dropping what
// could have been redone). `snippets` holds `category` (a move's `from`)
// as the file holds it now.
SaveOutcome change_add(const Catalogue& c, ChangeHistory& h, const TvString& category, SnippetArray& snippets,
                       const Snippet& snippet);
SaveOutcome change_replace(const Catalogue& c, ChangeHistory& h, const TvString& category, SnippetArray& snippets,
                           const Snippet& shown, const Snippet& edited);
SaveOutcome change_delete(const Catalogue& c, ChangeHistory& h, const TvString& category, SnippetArray& snippets,
                          const Snippet& shown);
SaveOutcome change_move(const Catalogue& c, ChangeHistory& h, const TvString& from, const TvString& to,
                        SnippetArray& snippets, const Snippet& shown);

// An undo or redo: which category and snippet the viewer should show after it.
struct HistoryStep {
  bool any = false;  // there was something to undo (redo)
  SaveOutcome outcome;
  TvString category;
  TvString name;     // the entry it was about ("" when it is gone)
};
HistoryStep change_undo(const Catalogue& c, ChangeHistory& h);
HistoryStep change_redo(const Catalogue& c, ChangeHistory& h);
